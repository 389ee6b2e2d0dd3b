#pragma once

#include <string>

namespace XmlRpc {

// Receives the value library's error reports.
class XmlRpcErrorHandler {
public:
    virtual ~XmlRpcErrorHandler() = default;
    virtual void error(const std::string& message) = 0;
};

// Writes each report to standard error.
class DefaultErrorHandler : public XmlRpcErrorHandler {
public:
    static DefaultErrorHandler& Instance();

    void error(const std::string& message) override;
};

} // namespace XmlRpc
