#pragma once

#include <string>

namespace XmlRpc {

// Receives the value library's log lines; lower levels are more important.
class XmlRpcLogHandler {
public:
    // Lines above this level are dropped; nothing in the system raises it.
    static constexpr int Verbosity = 0;

    virtual ~XmlRpcLogHandler() = default;
    virtual void log(int level, const std::string& message) = 0;
};

// Writes each line that passes the verbosity to standard output.
class DefaultLogHandler : public XmlRpcLogHandler {
public:
    static DefaultLogHandler& Instance();

    void log(int level, const std::string& message) override;
};

} // namespace XmlRpc
