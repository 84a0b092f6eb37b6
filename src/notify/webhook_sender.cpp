#include "notify/webhook_sender.h"

#include <httplib.h>

namespace stillmon {

namespace {

constexpr time_t connect_timeout_s = 5;
constexpr time_t answer_timeout_s = 10;

std::string reason(httplib::Error error) {
    switch (error) {
        case httplib::Error::Connection:
            return "cannot connect";
        case httplib::Error::ConnectionTimeout:
            return "no connection within " + std::to_string(connect_timeout_s) + " s";
        case httplib::Error::Read:
            return "no answer within " + std::to_string(answer_timeout_s) + " s";
        case httplib::Error::Write:
            return "the request could not be sent";
        case httplib::Error::SSLConnection:
            return "the TLS handshake failed";
        case httplib::Error::SSLServerVerification:
            return "the server's certificate is not trusted";
        case httplib::Error::SSLLoadingCerts:
            return "the trusted certificates cannot be loaded";
        default:
            return httplib::to_string(error);
    }
}

class WebhookSender final : public NoticeSender {
  public:
    WebhookSender(const WebhookTarget& target, NoticeOrigin origin)
        : format_(target.format), url_(target.url), origin_(std::move(origin)) {
#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
        if (url_.tls) {
            client_ = std::make_unique<httplib::SSLClient>(url_.host, url_.port);
        }
#endif
        if (!client_) {
            client_ = std::make_unique<httplib::ClientImpl>(url_.host, url_.port);
        }
        client_->set_connection_timeout(connect_timeout_s);
        client_->set_read_timeout(answer_timeout_s);
        client_->set_write_timeout(answer_timeout_s);
        if (!url_.user.empty() || !url_.password.empty()) {
            client_->set_basic_auth(url_.user, url_.password);
        }
    }

    std::optional<std::string> send(const AlarmNotice& notice) override {
        httplib::Result result = [&] {
            if (format_ == WebhookTarget::Format::json) {
                return client_->Post(url_.target, {}, notice_json(notice, origin_),
                                     "application/json");
            }
            const NtfyMessage message = ntfy_message(notice);
            const httplib::Headers headers = {
                {"Title", message.title}, {"Priority", message.priority}, {"Tags", message.tags}};
            return client_->Post(url_.target, headers, message.body, "text/plain; charset=utf-8");
        }();
        if (!result) {
            return reason(result.error());
        }
        if (result->status >= 300) {
            return "answered with HTTP status " + std::to_string(result->status);
        }
        return std::nullopt;
    }

    const std::string& name() const override {
        return url_.shown;
    }

  private:
    WebhookTarget::Format format_;
    WebhookUrl url_;
    NoticeOrigin origin_;
    std::unique_ptr<httplib::ClientImpl> client_;
};

}  // namespace

std::unique_ptr<NoticeSender> make_webhook_sender(const WebhookTarget& target,
                                                  const NoticeOrigin& origin) {
    return std::make_unique<WebhookSender>(target, origin);
}

}  // namespace stillmon
