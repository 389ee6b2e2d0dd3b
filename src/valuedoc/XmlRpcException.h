#pragma once

#include <exception>
#include <string>

namespace XmlRpc {

// Raised by the value accessors on a type mismatch or an impossible index, and
// by the writer for a number that has no text form. File loaders catch it and
// treat the document as unreadable.
class XmlRpcException : public std::exception {
public:
    explicit XmlRpcException(std::string message, int code = -1);

    const std::string& GetMessage() const { return m_message; }
    int GetCode() const { return m_code; }
    const char* what() const noexcept override;

private:
    std::string m_message;
    int m_code;
};

} // namespace XmlRpc
