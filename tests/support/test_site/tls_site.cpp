#include "test_site/tls_site.h"

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <filesystem>
#include <mutex>

namespace test_site {

namespace {

bool WritePem(const std::string& path, const std::function<int(FILE*)>& write)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = write(file) == 1;
    return std::fclose(file) == 0 && ok;
}

// A P-256 key and a certificate for localhost and 127.0.0.1, valid a day.
bool MakeCertificate(const std::string& keyFile, const std::string& certificateFile)
{
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    bool ok = key && cert;
    if (ok) {
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert), -60);
        X509_gmtime_adj(X509_getm_notAfter(cert), 24 * 3600);
        X509_set_pubkey(cert, key);
        X509_NAME* name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("localhost"), -1,
                                   -1, 0);
        X509_set_issuer_name(cert, name);
        X509V3_CTX context;
        X509V3_set_ctx_nodb(&context);
        X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
        for (const auto& [nid, value] : {std::pair{NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1"},
                                         std::pair{NID_basic_constraints, "critical,CA:TRUE"}}) {
            X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
            ok = ok && extension && X509_add_ext(cert, extension, -1);
            X509_EXTENSION_free(extension);
        }
        ok = ok && X509_sign(cert, key, EVP_sha256()) > 0;
        ok = ok && WritePem(keyFile, [key](FILE* f) {
                 return PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr);
             });
        ok = ok && WritePem(certificateFile, [cert](FILE* f) { return PEM_write_X509(f, cert); });
    }
    X509_free(cert);
    EVP_PKEY_free(key);
    return ok;
}

}  // namespace

struct TlsSite::Server {
    std::unique_ptr<httplib::SSLServer> http;
    std::mutex mutex;
    std::map<std::string, std::pair<std::string, std::string>> files;  // path -> bytes, type
    int requests = 0;
};

TlsSite::TlsSite() : server_(std::make_unique<Server>()) {}

TlsSite::~TlsSite()
{
    if (server_->http)
        server_->http->stop();
    if (thread_.joinable())
        thread_.join();
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

bool TlsSite::Start()
{
    char pattern[] = "/tmp/quelt-tls-XXXXXX";
    if (!::mkdtemp(pattern))
        return false;
    folder_ = pattern;
    const std::string keyFile = folder_ + "/key.pem";
    certificateFile_ = folder_ + "/cert.pem";
    if (!MakeCertificate(keyFile, certificateFile_))
        return false;
    server_->http = std::make_unique<httplib::SSLServer>(certificateFile_.c_str(), keyFile.c_str());
    if (!server_->http->is_valid())
        return false;
    Server* server = server_.get();
    server->http->Get(R"(/.*)", [server](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard lock(server->mutex);
        ++server->requests;
        const auto it = server->files.find(request.path);
        if (it == server->files.end()) {
            response.status = 404;
            return;
        }
        // cpp-httplib answers a Range request with the part asked for.
        response.set_content(it->second.first, it->second.second.c_str());
    });
    port_ = server->http->bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        return false;
    thread_ = std::thread([server] { server->http->listen_after_bind(); });
    return true;
}

std::string TlsSite::Url(const std::string& path) const
{
    return "https://localhost:" + std::to_string(port_) + path;
}

void TlsSite::AddFile(const std::string& path, std::string bytes, const std::string& contentType)
{
    std::lock_guard lock(server_->mutex);
    server_->files[path] = {std::move(bytes), contentType};
}

int TlsSite::Requests() const
{
    std::lock_guard lock(server_->mutex);
    return server_->requests;
}

}  // namespace test_site
