// Fuzz target for the OpenPGP readers over packets (libFuzzer; `make
// fuzz`): the packet reader, then every signature and key packet it gives,
// and the certificates of the whole input, judged by their self-signatures.
// Every packet's body lies inside the input (or, in partial pieces, is no
// longer than it), the reader ends, and nothing reads out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "signature/Certificate.h"
#include "signature/OpenPgpPacket.h"
#include "signature/SignatureCheck.h"

namespace {

using namespace sumbrook;  // NOLINT

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    OpenPgpPacketReader reader(input);
    OpenPgpPacket packet;
    std::string error;
    std::size_t packets = 0;
    for (;;) {
        const std::size_t left = reader.Left();
        const OpenPgpPacketReader::Step step = reader.Next(packet, error);
        if (step != OpenPgpPacketReader::Step::kPacket) {
            Require(step == OpenPgpPacketReader::Step::kEnd || !error.empty());
            break;
        }
        Require(reader.Left() < left && packet.body.size() <= size);
        ++packets;
        OpenPgpSignature signature;
        OpenPgpKey key;
        if (packet.tag == 2 && ReadSignaturePacket(packet.body, signature, error) &&
            signature.version == 4) {
            Require(signature.hashedPart.size() <= packet.body.size());
        }
        if (packet.tag == 6 || packet.tag == 14) ReadKeyPacket(packet.body, key, error);
    }
    Require(packets <= size);
    const CertificatesRead certificates = ReadCertificates(input);
    for (const Certificate& certificate : certificates.certificates) {
        CheckCertificate(certificate, 1700000000);
    }
    const SignaturesRead signatures = ReadSignatures(input);
    Require(signatures.ok == signatures.error.empty());
    return 0;
}
