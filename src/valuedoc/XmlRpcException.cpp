#include "valuedoc/XmlRpcException.h"

#include <utility>

namespace XmlRpc {

XmlRpcException::XmlRpcException(std::string message, int code)
    : m_message(std::move(message))
    , m_code(code) { }

const char* XmlRpcException::what() const noexcept {
    return m_message.c_str();
}

} // namespace XmlRpc
