#include "platform/win32/win32_http_transport.h"

#include <windows.h>
#include <winhttp.h>

#include <functional>

#include "platform/win32/system_library.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handle.h"

namespace kelvo {
namespace {

// The WinHTTP functions, bound once; the library stays loaded for the life of the process
// because a helper thread left behind by an expired exchange may still be inside it.
struct WinHttpApi {
  decltype(&::WinHttpCheckPlatform) check_platform = nullptr;
  decltype(&::WinHttpCrackUrl) crack_url = nullptr;
  decltype(&::WinHttpOpen) open = nullptr;
  decltype(&::WinHttpSetTimeouts) set_timeouts = nullptr;
  decltype(&::WinHttpConnect) connect = nullptr;
  decltype(&::WinHttpOpenRequest) open_request = nullptr;
  decltype(&::WinHttpSetCredentials) set_credentials = nullptr;
  decltype(&::WinHttpSetOption) set_option = nullptr;
  decltype(&::WinHttpAddRequestHeaders) add_request_headers = nullptr;
  decltype(&::WinHttpSendRequest) send_request = nullptr;
  decltype(&::WinHttpReceiveResponse) receive_response = nullptr;
  decltype(&::WinHttpQueryDataAvailable) query_data_available = nullptr;
  decltype(&::WinHttpReadData) read_data = nullptr;
  decltype(&::WinHttpQueryHeaders) query_headers = nullptr;
  decltype(&::WinHttpCloseHandle) close_handle = nullptr;
};

// nullptr when winhttp.dll is missing from the system folder or lacks a function.
const WinHttpApi* Api() {
  static const WinHttpApi* const api = []() -> const WinHttpApi* {
    const HMODULE module = LoadSystemLibrary(L"winhttp.dll").release();
    if (module == nullptr) return nullptr;
    static WinHttpApi bound;
    bool complete = true;
    const auto bind = [&](auto& function, const char* name) {
      function = BoundFunction<std::remove_reference_t<decltype(function)>>(module, name);
      complete = complete && function != nullptr;
    };
    bind(bound.check_platform, "WinHttpCheckPlatform");
    bind(bound.crack_url, "WinHttpCrackUrl");
    bind(bound.open, "WinHttpOpen");
    bind(bound.set_timeouts, "WinHttpSetTimeouts");
    bind(bound.connect, "WinHttpConnect");
    bind(bound.open_request, "WinHttpOpenRequest");
    bind(bound.set_credentials, "WinHttpSetCredentials");
    bind(bound.set_option, "WinHttpSetOption");
    bind(bound.add_request_headers, "WinHttpAddRequestHeaders");
    bind(bound.send_request, "WinHttpSendRequest");
    bind(bound.receive_response, "WinHttpReceiveResponse");
    bind(bound.query_data_available, "WinHttpQueryDataAvailable");
    bind(bound.read_data, "WinHttpReadData");
    bind(bound.query_headers, "WinHttpQueryHeaders");
    bind(bound.close_handle, "WinHttpCloseHandle");
    return complete ? &bound : nullptr;
  }();
  return api;
}

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Empty() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { Api()->close_handle(h); }
};
using UniqueInternetHandle = UniqueResource<InternetHandleTraits>;

// One call that waits on the network. It owns everything the call writes, so a helper thread
// that outlives its caller writes only into this.
struct NetworkCall {
  std::function<bool(NetworkCall&)> work;
  bool ok = false;
  DWORD number = 0;
  std::string bytes;
};

DWORD WINAPI RunNetworkCall(void* parameter) {
  auto* call = static_cast<std::shared_ptr<NetworkCall>*>(parameter);
  (*call)->ok = (*call)->work(**call);
  delete call;
  return 0;
}

class Win32HttpExchange final : public HttpExchange {
 public:
  Win32HttpExchange(UniqueInternetHandle session, std::uint32_t total_limit_ms)
      : session_(std::move(session)),
        bounded_(total_limit_ms != 0),
        deadline_(::GetTickCount() + total_limit_ms) {}

  bool SetTimeouts(std::uint32_t ms) override {
    const int limit = static_cast<int>(ms);
    return Live() && Api()->set_timeouts(session_.get(), limit, limit, limit, limit);
  }

  bool Connect(const std::string& host, std::uint16_t port) override {
    if (!Live()) return false;
    connection_.reset(Api()->connect(session_.get(), GbkToUtf16(host).c_str(), port, 0));
    return static_cast<bool>(connection_);
  }

  bool OpenRequest(const std::string& verb, const std::string& object, bool secure) override {
    if (!Live() || !connection_) return false;
    request_.reset(Api()->open_request(
        connection_.get(), GbkToUtf16(verb).c_str(), GbkToUtf16(object).c_str(), nullptr,
        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0));
    return static_cast<bool>(request_);
  }

  bool SetCredentials(std::uint32_t target, const std::string& user,
                      const std::string& password) override {
    return Live() && request_ &&
           Api()->set_credentials(request_.get(), target, WINHTTP_AUTH_SCHEME_BASIC,
                                  GbkToUtf16(user).c_str(), GbkToUtf16(password).c_str(), nullptr);
  }

  bool SetOption(std::uint32_t option, std::uint32_t value) override {
    DWORD data = value;
    return Live() && request_ && Api()->set_option(request_.get(), option, &data, sizeof data);
  }

  bool AddHeaders(const std::string& block) override {
    if (!Live() || !request_) return false;
    const std::wstring wide = GbkToUtf16(block);
    const DWORD length = static_cast<DWORD>(wcslen(wide.c_str()));
    return Api()->add_request_headers(request_.get(), wide.c_str(), length,
                                      WINHTTP_ADDREQ_FLAG_ADD);
  }

  bool Send(const std::string& body) override {
    const HINTERNET request = request_.get();
    return Wait([request, body](NetworkCall&) {
      void* data = body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(body.data());
      const auto length = static_cast<DWORD>(body.size());
      return Api()->send_request(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, data, length, length,
                                 0) != FALSE;
    });
  }

  bool ReceiveResponse() override {
    const HINTERNET request = request_.get();
    return Wait(
        [request](NetworkCall&) { return Api()->receive_response(request, nullptr) != FALSE; });
  }

  std::optional<std::size_t> DataAvailable() override {
    const HINTERNET request = request_.get();
    std::shared_ptr<NetworkCall> call;
    if (!Wait(
            [request](NetworkCall& c) {
              return Api()->query_data_available(request, &c.number) != FALSE;
            },
            &call)) {
      return std::nullopt;
    }
    return call->number;
  }

  std::optional<std::string> Read(std::size_t bytes) override {
    const HINTERNET request = request_.get();
    std::shared_ptr<NetworkCall> call;
    if (!Wait(
            [request, bytes](NetworkCall& c) {
              c.bytes.resize(bytes);
              DWORD read = 0;
              if (!Api()->read_data(request, c.bytes.data(), static_cast<DWORD>(bytes), &read)) {
                return false;
              }
              c.bytes.resize(read);
              return true;
            },
            &call)) {
      return std::nullopt;
    }
    return std::move(call->bytes);
  }

  std::optional<std::string> RawHeaders() override {
    if (!Live() || !request_) return std::nullopt;
    DWORD size = 0;
    Api()->query_headers(request_.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF,
                         WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                         WINHTTP_NO_HEADER_INDEX);
    if (size == 0) return std::nullopt;
    std::wstring block(size / sizeof(wchar_t) + 1, L'\0');
    if (!Api()->query_headers(request_.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF,
                              WINHTTP_HEADER_NAME_BY_INDEX, block.data(), &size,
                              WINHTTP_NO_HEADER_INDEX)) {
      return std::nullopt;
    }
    block.resize(size / sizeof(wchar_t));
    return Utf16ToGbk(block);
  }

 private:
  // False once the whole limit has passed: the exchange is over.
  bool Live() {
    if (!expired_ && bounded_ && RemainingMs() == 0) Expire();
    return !expired_;
  }

  DWORD RemainingMs() const {
    const auto left = static_cast<std::int32_t>(deadline_ - ::GetTickCount());
    return left > 0 ? static_cast<DWORD>(left) : 0;
  }

  // Closing the request cancels what WinHTTP is doing with it on the helper thread.
  void Expire() {
    expired_ = true;
    request_.reset();
  }

  // Runs the call; with a whole limit, on a helper thread that may run until the limit and no
  // longer.
  bool Wait(std::function<bool(NetworkCall&)> work, std::shared_ptr<NetworkCall>* done = nullptr) {
    if (!Live() || !request_) return false;
    auto call = std::make_shared<NetworkCall>();
    call->work = std::move(work);
    if (!bounded_) {
      call->ok = call->work(*call);
    } else {
      auto* shared = new std::shared_ptr<NetworkCall>(call);
      const UniqueHandle thread(::CreateThread(nullptr, 0, RunNetworkCall, shared, 0, nullptr));
      if (!thread) {
        delete shared;
        return false;
      }
      if (::WaitForSingleObject(thread.get(), RemainingMs()) != WAIT_OBJECT_0) {
        Expire();
        return false;
      }
    }
    if (done != nullptr) *done = call;
    return call->ok;
  }

  // Closed in the reverse order: the request, then the connection, then the session.
  UniqueInternetHandle session_;
  UniqueInternetHandle connection_;
  UniqueInternetHandle request_;
  bool bounded_;
  DWORD deadline_;
  bool expired_ = false;
};

}  // namespace

bool Win32HttpTransport::PlatformUsable() {
  return Api() != nullptr && Api()->check_platform();
}

std::optional<UrlParts> Win32HttpTransport::CrackUrl(const std::string& url) {
  if (Api() == nullptr) return std::nullopt;
  const std::wstring wide = GbkToUtf16(url);
  URL_COMPONENTS components{};
  components.dwStructSize = sizeof components;
  // Lengths of -1 ask for each part as a pointer into the address itself.
  components.dwSchemeLength = static_cast<DWORD>(-1);
  components.dwHostNameLength = static_cast<DWORD>(-1);
  components.dwUrlPathLength = static_cast<DWORD>(-1);
  components.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (wide.empty() || !Api()->crack_url(wide.c_str(), 0, 0, &components)) return std::nullopt;
  const auto part = [](const wchar_t* text, DWORD length) {
    return text == nullptr ? std::string() : Utf16ToGbk(std::wstring_view(text, length));
  };
  UrlParts parts;
  parts.secure = components.nScheme == INTERNET_SCHEME_HTTPS;
  parts.host = part(components.lpszHostName, components.dwHostNameLength);
  parts.port = components.nPort;
  parts.path = part(components.lpszUrlPath, components.dwUrlPathLength);
  parts.extra = part(components.lpszExtraInfo, components.dwExtraInfoLength);
  return parts;
}

std::unique_ptr<HttpExchange> Win32HttpTransport::OpenSession(const std::string& proxy,
                                                              std::uint32_t total_limit_ms) {
  if (Api() == nullptr) return nullptr;
  const std::wstring proxy_name = GbkToUtf16(proxy);
  UniqueInternetHandle session(proxy.empty()
                                   ? Api()->open(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY,
                                                 WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)
                                   : Api()->open(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY,
                                                 proxy_name.c_str(), WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return nullptr;
  return std::make_unique<Win32HttpExchange>(std::move(session), total_limit_ms);
}

}  // namespace kelvo
