#include "server/ServerAddress.h"
#include "support/QtPrint.h"

#include <gtest/gtest.h>

TEST(ServerAddress, TheLastIPv4AddressThatIsNotLoopbackIsShown) {
    const QHostAddress loopback(QStringLiteral("127.0.0.1"));
    const QHostAddress lan(QStringLiteral("192.168.0.7"));
    const QHostAddress other(QStringLiteral("10.1.1.2"));
    const QHostAddress v6(QStringLiteral("fe80::1"));
    EXPECT_EQ(ShownServerAddress({ loopback, lan, other }), QStringLiteral("10.1.1.2"));
    EXPECT_EQ(ShownServerAddress({ other, lan, loopback, v6, QHostAddress(QHostAddress::LocalHostIPv6) }),
        QStringLiteral("192.168.0.7"));
    // Nothing to show: the label keeps what it had.
    EXPECT_TRUE(ShownServerAddress({ loopback, v6 }).isNull());
    EXPECT_TRUE(ShownServerAddress({}).isNull());
}
