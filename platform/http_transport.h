// HTTP and HTTPS requests. Its calls arrive with the web access routine.
#pragma once

namespace kelvo {

class HttpTransport {
 public:
  virtual ~HttpTransport() = default;
};

}  // namespace kelvo
