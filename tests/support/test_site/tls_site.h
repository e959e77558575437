#pragma once
// An HTTPS server on 127.0.0.1 for the tests, with a throw-away key and
// self-signed certificate for "localhost" made when it starts. Clients
// trust it by naming CertificateFile() as their only authority.
#include <map>
#include <memory>
#include <string>
#include <thread>

namespace test_site {

class TlsSite {
public:
    TlsSite();
    ~TlsSite();
    TlsSite(const TlsSite&) = delete;
    TlsSite& operator=(const TlsSite&) = delete;

    // Makes the certificate and listens on a free port; false when it cannot.
    bool Start();
    int Port() const { return port_; }
    // "https://localhost:port" + path.
    std::string Url(const std::string& path) const;
    const std::string& CertificateFile() const { return certificateFile_; }

    // Served with Range support.
    void AddFile(const std::string& path, std::string bytes, const std::string& contentType);
    // Requests answered so far (found or not).
    int Requests() const;

private:
    struct Server;
    std::unique_ptr<Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::string folder_;
    std::string certificateFile_;
};

}  // namespace test_site
