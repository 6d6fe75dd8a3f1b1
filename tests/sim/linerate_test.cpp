#include "clientlinerate.h"
#include "linerate.h"
#include "pseudoterminal.h"
#include "ptyclient.h"

#include <gtest/gtest.h>

namespace {

TEST(LineRate, ReadsTheRateTheClientSetThroughTheMaster)
{
    PseudoTerminal terminal;
    std::string error;
    ASSERT_TRUE(terminal.open(&error)) << error;
    EXPECT_EQ(LineRate(terminal.masterFd()), 115200) << "the line starts at 115200";

    PtyClient client(terminal.slavePath());
    ASSERT_TRUE(client.isOpen());
    struct Setting {
        int rate;
        bool exact;
    };
    for (const Setting setting :
         {Setting{9600, false}, Setting{4800, false}, Setting{57600, false}, Setting{14400, true},
          Setting{76800, true}, Setting{9600, true}}) {
        ASSERT_TRUE(SetClientLineRate(client.fd(), setting.rate, setting.exact));
        EXPECT_EQ(LineRate(terminal.masterFd()), setting.rate)
            << setting.rate << (setting.exact ? " as BOTHER" : " as a B code");
    }
}

TEST(LineRate, UnknownForADescriptorThatIsNoTerminal)
{
    EXPECT_EQ(LineRate(-1), 0);
}

} // namespace
