#pragma once

#include <filesystem>

namespace vexa::sim {

struct TCertificatePaths
{
  std::filesystem::path fCaCert;     // ca.pem: what clients trust
  std::filesystem::path fServerCert; // server.pem: server certificate, then the CA
  std::filesystem::path fServerKey;  // server-key.pem (0600)
};

// Makes sure aStateDir holds a private CA and a server certificate for 127.0.0.1, ::1 and
// localhost signed by it; reuses valid ones from an earlier start. Throws on failure.
TCertificatePaths EnsureCertificates(const std::filesystem::path &aStateDir);

} // namespace vexa::sim
