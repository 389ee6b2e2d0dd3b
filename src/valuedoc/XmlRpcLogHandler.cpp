#include "valuedoc/XmlRpcLogHandler.h"

#include <iostream>

namespace XmlRpc {

DefaultLogHandler& DefaultLogHandler::Instance() {
    static DefaultLogHandler handler;
    return handler;
}

void DefaultLogHandler::log(int level, const std::string& message) {
    if (level <= Verbosity) {
        std::cout << message << std::endl;
    }
}

} // namespace XmlRpc
