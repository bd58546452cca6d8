#include "tests/support/sim/sim_http.h"

#include <algorithm>
#include <cctype>

namespace kelvo::sim {

class SimHttpExchange : public HttpExchange {
 public:
  SimHttpExchange(SimHttp& http, std::size_t index) : http_(http), index_(index) {}
  ~SimHttpExchange() override { record().closed = true; }

  bool SetTimeouts(std::uint32_t ms) override {
    record().timeout_ms = ms;
    return !http_.Fails(HttpStep::SetTimeouts);
  }
  bool Connect(const std::string& host, std::uint16_t port) override {
    record().host = host;
    record().port = port;
    return !http_.Fails(HttpStep::Connect);
  }
  bool OpenRequest(const std::string& verb, const std::string& object, bool secure) override {
    record().verb = verb;
    record().object = object;
    record().secure = secure;
    return !http_.Fails(HttpStep::OpenRequest);
  }
  bool SetCredentials(std::uint32_t target, const std::string& user,
                      const std::string& password) override {
    record().credentials.push_back({target, user, password});
    return !http_.Fails(HttpStep::SetCredentials);
  }
  bool SetOption(std::uint32_t option, std::uint32_t value) override {
    record().options.emplace_back(option, value);
    return http_.failing_option_ != std::make_pair(option, value);
  }
  bool AddHeaders(const std::string& block) override {
    record().headers = block;
    return !http_.Fails(HttpStep::AddHeaders);
  }
  bool Send(const std::string& body) override {
    record().sent_body = body;
    return !http_.Fails(HttpStep::Send);
  }
  bool ReceiveResponse() override { return !http_.Fails(HttpStep::ReceiveResponse); }
  std::optional<std::size_t> DataAvailable() override {
    const auto& chunks = http_.response_.chunks;
    return next_chunk_ < chunks.size() ? chunks[next_chunk_].size() : 0;
  }
  std::optional<std::string> Read(std::size_t bytes) override {
    if (http_.response_.failed_read == next_chunk_) return std::nullopt;
    const std::string& chunk = http_.response_.chunks[next_chunk_++];
    return chunk.substr(0, bytes);
  }
  std::optional<std::string> RawHeaders() override {
    if (http_.Fails(HttpStep::RawHeaders)) return std::nullopt;
    return http_.response_.raw_headers;
  }

 private:
  SimHttpRequest& record() { return http_.requests_[index_]; }

  SimHttp& http_;
  std::size_t index_;
  std::size_t next_chunk_ = 0;
};

bool SimHttp::PlatformUsable() {
  return !Fails(HttpStep::PlatformCheck);
}

std::optional<UrlParts> SimHttp::CrackUrl(const std::string& url) {
  if (Fails(HttpStep::CrackUrl)) return std::nullopt;
  std::string lower = url;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  UrlParts parts;
  std::size_t at = 0;
  if (lower.starts_with("https://")) {
    parts.secure = true;
    parts.port = 443;
    at = 8;
  } else if (lower.starts_with("http://")) {
    parts.port = 80;
    at = 7;
  } else {
    return std::nullopt;
  }
  const std::size_t host_end = std::min(url.find_first_of(":/?", at), url.size());
  parts.host = url.substr(at, host_end - at);
  if (parts.host.empty()) return std::nullopt;
  at = host_end;
  if (at < url.size() && url[at] == ':') {
    const std::size_t port_end = std::min(url.find_first_of("/?", at), url.size());
    parts.port = static_cast<std::uint16_t>(std::stoi(url.substr(at + 1, port_end - at - 1)));
    at = port_end;
  }
  const std::size_t query = std::min(url.find('?', at), url.size());
  parts.path = url.substr(at, query - at);
  parts.extra = url.substr(query);
  return parts;
}

std::unique_ptr<HttpExchange> SimHttp::OpenSession(const std::string& proxy,
                                                   std::uint32_t total_limit_ms) {
  requests_.push_back({.proxy = proxy, .total_limit_ms = total_limit_ms});
  if (Fails(HttpStep::OpenSession)) {
    requests_.back().closed = true;
    return nullptr;
  }
  return std::make_unique<SimHttpExchange>(*this, requests_.size() - 1);
}

}  // namespace kelvo::sim
