#include "certs.h"

#include "file_util.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace vexa::sim {

namespace {

struct TFreeKey
{
  void operator()(EVP_PKEY *aKey) const { EVP_PKEY_free(aKey); }
};
struct TFreeCert
{
  void operator()(X509 *aCert) const { X509_free(aCert); }
};
struct TFreeBio
{
  void operator()(BIO *aBio) const { BIO_free(aBio); }
};
using TKey = std::unique_ptr<EVP_PKEY, TFreeKey>;
using TCert = std::unique_ptr<X509, TFreeCert>;
using TBio = std::unique_ptr<BIO, TFreeBio>;

constexpr long cCaDays = 3650;
constexpr long cServerDays = 397;
constexpr long cRenewBeforeSeconds = 7 * 24 * 3600;

[[noreturn]] void Fail(const std::string &aWhat)
{
  const unsigned long lCode = ERR_get_error();
  char lText[256] = "";
  if (lCode != 0) {
    ERR_error_string_n(lCode, lText, sizeof lText);
  }
  throw std::runtime_error(aWhat + (lCode != 0 ? std::string(": ") + lText : std::string()));
}

TKey NewKey()
{
  TKey lKey(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  if (!lKey) {
    Fail("cannot generate a key");
  }
  return lKey;
}

void AddExtension(X509 *aCert, X509 *aIssuer, int aNid, const char *aValue)
{
  X509V3_CTX lContext;
  X509V3_set_ctx_nodb(&lContext);
  X509V3_set_ctx(&lContext, aIssuer, aCert, nullptr, nullptr, 0);
  X509_EXTENSION *lExtension = X509V3_EXT_conf_nid(nullptr, &lContext, aNid, aValue);
  if (lExtension == nullptr) {
    Fail("cannot build a certificate extension");
  }
  const int lAdded = X509_add_ext(aCert, lExtension, -1);
  X509_EXTENSION_free(lExtension);
  if (lAdded != 1) {
    Fail("cannot add a certificate extension");
  }
}

TCert NewCertificate(EVP_PKEY *aKey, const char *aCommonName, long aDays)
{
  TCert lCert(X509_new());
  if (!lCert) {
    Fail("cannot create a certificate");
  }
  X509_set_version(lCert.get(), 2);
  unsigned char lSerial[16];
  RAND_bytes(lSerial, sizeof lSerial);
  lSerial[0] &= 0x7F;
  BIGNUM *lNumber = BN_bin2bn(lSerial, sizeof lSerial, nullptr);
  BN_to_ASN1_INTEGER(lNumber, X509_get_serialNumber(lCert.get()));
  BN_free(lNumber);
  X509_gmtime_adj(X509_getm_notBefore(lCert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(lCert.get()), aDays * 24 * 3600);
  X509_set_pubkey(lCert.get(), aKey);
  X509_NAME *lName = X509_get_subject_name(lCert.get());
  X509_NAME_add_entry_by_txt(lName, "O", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char *>("Vexa"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(lName, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char *>(aCommonName), -1, -1, 0);
  return lCert;
}

std::string CertPem(X509 *aCert)
{
  TBio lBio(BIO_new(BIO_s_mem()));
  if (!lBio || PEM_write_bio_X509(lBio.get(), aCert) != 1) {
    Fail("cannot encode a certificate");
  }
  char *lData = nullptr;
  const long lLength = BIO_get_mem_data(lBio.get(), &lData);
  return std::string(lData, static_cast<size_t>(lLength));
}

std::string KeyPem(EVP_PKEY *aKey)
{
  TBio lBio(BIO_new(BIO_s_mem()));
  if (!lBio ||
      PEM_write_bio_PrivateKey(lBio.get(), aKey, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
    Fail("cannot encode a key");
  }
  char *lData = nullptr;
  const long lLength = BIO_get_mem_data(lBio.get(), &lData);
  return std::string(lData, static_cast<size_t>(lLength));
}

TCert ReadCert(const std::filesystem::path &aPath)
{
  TBio lBio(BIO_new_file(aPath.c_str(), "r"));
  if (!lBio) {
    return nullptr;
  }
  return TCert(PEM_read_bio_X509(lBio.get(), nullptr, nullptr, nullptr));
}

TKey ReadKey(const std::filesystem::path &aPath)
{
  TBio lBio(BIO_new_file(aPath.c_str(), "r"));
  if (!lBio) {
    return nullptr;
  }
  return TKey(PEM_read_bio_PrivateKey(lBio.get(), nullptr, nullptr, nullptr));
}

bool ValidLongEnough(X509 *aCert)
{
  std::time_t lLater = std::time(nullptr) + cRenewBeforeSeconds;
  return X509_cmp_time(X509_get0_notAfter(aCert), &lLater) > 0;
}

// The server certificate is reused only when the CA signed it and it is for our names.
bool ServerCertUsable(X509 *aServer, EVP_PKEY *aServerKey, X509 *aCa, EVP_PKEY *aCaKey)
{
  if (!ValidLongEnough(aServer) || X509_check_private_key(aServer, aServerKey) != 1 ||
      X509_verify(aServer, aCaKey) != 1 || X509_check_issued(aCa, aServer) != X509_V_OK) {
    return false;
  }
  return X509_check_host(aServer, "localhost", 0, 0, nullptr) == 1 &&
         X509_check_ip_asc(aServer, "127.0.0.1", 0) == 1;
}

} // namespace

TCertificatePaths EnsureCertificates(const std::filesystem::path &aStateDir)
{
  TCertificatePaths lPaths{aStateDir / "ca.pem", aStateDir / "server.pem",
                           aStateDir / "server-key.pem"};
  const std::filesystem::path lCaKeyPath = aStateDir / "ca-key.pem";

  TCert lCa = ReadCert(lPaths.fCaCert);
  TKey lCaKey = ReadKey(lCaKeyPath);
  bool lNewCa = false;
  if (!lCa || !lCaKey || X509_check_private_key(lCa.get(), lCaKey.get()) != 1 ||
      !ValidLongEnough(lCa.get())) {
    lCaKey = NewKey();
    lCa = NewCertificate(lCaKey.get(), "Vexa Exchange Local CA", cCaDays);
    X509_set_issuer_name(lCa.get(), X509_get_subject_name(lCa.get()));
    AddExtension(lCa.get(), lCa.get(), NID_basic_constraints, "critical,CA:TRUE,pathlen:0");
    AddExtension(lCa.get(), lCa.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(lCa.get(), lCa.get(), NID_subject_key_identifier, "hash");
    if (X509_sign(lCa.get(), lCaKey.get(), EVP_sha256()) == 0) {
      Fail("cannot sign the CA certificate");
    }
    WriteFileAtomically(lCaKeyPath, KeyPem(lCaKey.get()), 0600);
    WriteFileAtomically(lPaths.fCaCert, CertPem(lCa.get()), 0644);
    lNewCa = true;
  }

  TCert lServer = ReadCert(lPaths.fServerCert);
  TKey lServerKey = ReadKey(lPaths.fServerKey);
  if (!lNewCa && lServer && lServerKey &&
      ServerCertUsable(lServer.get(), lServerKey.get(), lCa.get(), lCaKey.get())) {
    return lPaths;
  }
  lServerKey = NewKey();
  lServer = NewCertificate(lServerKey.get(), "127.0.0.1", cServerDays);
  X509_set_issuer_name(lServer.get(), X509_get_subject_name(lCa.get()));
  AddExtension(lServer.get(), lCa.get(), NID_basic_constraints, "critical,CA:FALSE");
  AddExtension(lServer.get(), lCa.get(), NID_key_usage,
               "critical,digitalSignature,keyEncipherment");
  AddExtension(lServer.get(), lCa.get(), NID_ext_key_usage, "serverAuth");
  AddExtension(lServer.get(), lCa.get(), NID_subject_alt_name, "IP:127.0.0.1,IP:::1,DNS:localhost");
  AddExtension(lServer.get(), lCa.get(), NID_authority_key_identifier, "keyid:always");
  if (X509_sign(lServer.get(), lCaKey.get(), EVP_sha256()) == 0) {
    Fail("cannot sign the server certificate");
  }
  WriteFileAtomically(lPaths.fServerKey, KeyPem(lServerKey.get()), 0600);
  WriteFileAtomically(lPaths.fServerCert, CertPem(lServer.get()) + CertPem(lCa.get()), 0644);
  return lPaths;
}

} // namespace vexa::sim
