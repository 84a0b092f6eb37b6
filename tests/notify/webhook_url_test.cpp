#include "notify/webhook_url.h"

#include <gtest/gtest.h>

namespace stillmon {
namespace {

// Messages name the address without its password: they end up in terminals and log files.
TEST(WebhookUrl, TakesAddressesApartAndNamesThemWithoutCredentials) {
    const auto ntfy = read_webhook_url("https://me:p%40ss:word@ntfy.example/still?x=1#top");
    ASSERT_TRUE(ntfy);
    EXPECT_TRUE(ntfy->tls);
    EXPECT_EQ(ntfy->user, "me");
    EXPECT_EQ(ntfy->password, "p@ss:word");
    EXPECT_EQ(ntfy->host, "ntfy.example");
    EXPECT_EQ(ntfy->port, 443);
    EXPECT_EQ(ntfy->target, "/still?x=1");
    EXPECT_EQ(ntfy->shown, "https://ntfy.example/still?x=1");

    const auto local = read_webhook_url("http://[::1]:8080");
    ASSERT_TRUE(local);
    EXPECT_FALSE(local->tls);
    EXPECT_EQ(local->host, "::1");
    EXPECT_EQ(local->port, 8080);
    EXPECT_EQ(local->target, "/");
    EXPECT_EQ(local->shown, "http://[::1]:8080");

    for (const char* bad : {"ftp://host/", "http://", "http://user@/x", "http://host:0/",
                            "http://host:65536/", "http://host:8o/", "http://[::1/"}) {
        EXPECT_FALSE(read_webhook_url(bad)) << bad;
    }
}

}  // namespace
}  // namespace stillmon
