// HTTP in memory: every request is recorded and answered with the response the test set, or fails
// at the step the test named.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/http_transport.h"

namespace kelvo::sim {

// The steps of a request that a test can make fail.
enum class HttpStep {
  PlatformCheck,
  CrackUrl,
  OpenSession,
  SetTimeouts,
  Connect,
  OpenRequest,
  SetCredentials,
  AddHeaders,
  Send,
  ReceiveResponse,
  RawHeaders,
};

struct SimHttpResponse {
  std::string raw_headers = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
  std::vector<std::string> chunks{};         // the body, as the reads deliver it
  std::optional<std::size_t> failed_read{};  // the read of this chunk fails
};

struct SimHttpCredentials {
  std::uint32_t target = 0;
  std::string user{};
  std::string password{};
  bool operator==(const SimHttpCredentials&) const = default;
};

// What one request was made of, in the order the calls came.
struct SimHttpRequest {
  std::string proxy{};
  std::uint32_t total_limit_ms = 0;
  std::optional<std::uint32_t> timeout_ms{};
  std::string host{};
  std::uint16_t port = 0;
  std::string verb{};
  std::string object{};
  bool secure = false;
  std::vector<SimHttpCredentials> credentials{};
  std::vector<std::pair<std::uint32_t, std::uint32_t>> options{};
  std::optional<std::string> headers{};
  std::optional<std::string> sent_body{};
  bool closed = false;
};

class SimHttp : public HttpTransport {
 public:
  bool PlatformUsable() override;
  std::optional<UrlParts> CrackUrl(const std::string& url) override;
  std::unique_ptr<HttpExchange> OpenSession(const std::string& proxy,
                                            std::uint32_t total_limit_ms) override;

  // Test side.
  void SetResponse(SimHttpResponse response) { response_ = std::move(response); }
  // A body in one read.
  void SetPage(const std::string& body) { response_.chunks = {body}; }
  void FailStep(HttpStep step) { failing_step_ = step; }
  void FailOption(std::uint32_t option, std::uint32_t value) {
    failing_option_ = std::make_pair(option, value);
  }
  const std::vector<SimHttpRequest>& requests() const { return requests_; }

 private:
  friend class SimHttpExchange;
  bool Fails(HttpStep step) const { return failing_step_ == step; }

  SimHttpResponse response_;
  std::optional<HttpStep> failing_step_{};
  std::optional<std::pair<std::uint32_t, std::uint32_t>> failing_option_{};
  std::vector<SimHttpRequest> requests_{};
};

}  // namespace kelvo::sim
