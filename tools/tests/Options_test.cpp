// The tools' option parser: what a command does not know is refused.
#include "tools/lib/Options.h"

#include <gtest/gtest.h>

namespace mrv::tools {
namespace {

TEST(ParseArguments, KnownOptionsOnly) {
    const KnownOptions known{{"fps", "out"}, {"json"}};
    Args args;
    std::string error;
    ASSERT_TRUE(ParseArguments({"dir", "--fps", "20", "--json", "x", "--out", "r.exe"}, known, args,
                               error));
    EXPECT_EQ(args.positional, (std::vector<std::string>{"dir", "x"}));  // flags take no value
    EXPECT_EQ(args.Option("fps"), "20");
    EXPECT_EQ(args.Option("out"), "r.exe");
    EXPECT_TRUE(args.Flag("json"));
    EXPECT_FALSE(args.Option("json").has_value());

    // Without its value an option is a flag, for the command to say what value it wants.
    Args bare;
    ASSERT_TRUE(ParseArguments({"--fps", "--json"}, known, bare, error));
    EXPECT_TRUE(bare.Flag("fps"));
    EXPECT_FALSE(bare.Option("fps").has_value());

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"dir", "--bogus", "3"}, {"--Fps", "20"}, {"--json", "--x"}}) {
        Args rejected;
        error.clear();
        EXPECT_FALSE(ParseArguments(bad, known, rejected, error)) << bad[1];
        EXPECT_FALSE(error.empty());
    }
    error.clear();
    ParseArguments({"--bogus", "3"}, known, args, error);
    EXPECT_EQ(error, "unknown option --bogus");
}

TEST(ClockTime, HoursMinutesSecondsAndMillisecondsOrNothing) {
    EXPECT_EQ(ParseClockTime("90"), 90000);
    EXPECT_EQ(ParseClockTime("1:30"), 90000);
    EXPECT_EQ(ParseClockTime("0:01:30.5"), 90500);
    EXPECT_EQ(ParseClockTime("1:02:03.004"), 3723004);
    EXPECT_EQ(ParseClockTime("2.25"), 2250);
    EXPECT_EQ(ParseClockTime("0"), 0);
    for (const char* bad : {"", "1:60", "1:2:60", "1:2:3:4", "1.", ".5", "1.2345", "-1",
                            "1:", ":30", "1,5", "1e3", " 1", "1.5:00", "9999999"}) {
        EXPECT_FALSE(ParseClockTime(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace mrv::tools
