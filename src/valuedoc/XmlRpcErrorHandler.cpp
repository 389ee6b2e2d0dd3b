#include "valuedoc/XmlRpcErrorHandler.h"

#include <iostream>

namespace XmlRpc {

DefaultErrorHandler& DefaultErrorHandler::Instance() {
    static DefaultErrorHandler handler;
    return handler;
}

void DefaultErrorHandler::error(const std::string& message) {
    std::cerr << message << std::endl;
}

} // namespace XmlRpc
