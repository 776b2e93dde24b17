#include "verify/ProtocolText.h"

#ifdef _WIN32
#include "platform/WideText.h"
#endif

namespace sumbrook {

bool ProtocolTextOf(const std::string& utf8, std::string& protocolText) {
#ifdef _WIN32
    return AnsiFromWide(WideFromUtf8(utf8), protocolText);
#else
    protocolText = utf8;
    return true;
#endif
}

std::string Utf8OfProtocolText(const std::string& protocolText) {
#ifdef _WIN32
    return Utf8FromWide(WideFromAnsi(protocolText));
#else
    return protocolText;
#endif
}

}  // namespace sumbrook
