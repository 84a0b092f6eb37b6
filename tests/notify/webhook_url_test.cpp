#include "notify/webhook_url.h"

#include <tuple>

#include <gtest/gtest.h>

namespace stillmon {
namespace {

// Messages name the address without its password: they end up in terminals and log files.
TEST(WebhookUrl, TakesAddressesApartAndNamesThemWithoutCredentials) {
    const auto ntfy = read_webhook_url("https://me:p%40ss:word@ntfy.example/still?x=1#top");
    ASSERT_TRUE(ntfy);
    EXPECT_EQ(std::tie(ntfy->tls, ntfy->user, ntfy->password, ntfy->host, ntfy->port),
              std::make_tuple(true, "me", "p@ss:word", "ntfy.example", 443));
    EXPECT_EQ(ntfy->target, "/still?x=1");
    EXPECT_EQ(ntfy->shown, "https://ntfy.example/still?x=1");
    const auto local = read_webhook_url("http://[::1]:8080");
    ASSERT_TRUE(local);
    EXPECT_EQ(std::tie(local->tls, local->host, local->port, local->target, local->shown),
              std::make_tuple(false, "::1", 8080, "/", "http://[::1]:8080"));
    // The host and port follow base/host_and_port's rule, with port 0 refused; the colons of
    // an IPv6 address without brackets were taken for the port's ("::1" was host ":", port 1).
    for (const char* bad :
         {"ftp://host/", "http://", "http://user@/x", "http://host:0/", "http://::1/"}) {
        EXPECT_FALSE(read_webhook_url(bad)) << bad;
    }
}

}  // namespace
}  // namespace stillmon
