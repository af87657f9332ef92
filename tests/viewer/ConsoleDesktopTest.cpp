#include "ConsoleDesktop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

TEST(ConsoleDesktop, MessagesGoToTheStreamAndQuestionsAreDeclined)
{
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    platform::ConsoleDesktop desktop(out);
    using platform::MessageAnswer;
    using platform::MessageButtons;
    using platform::MessageIcon;
    EXPECT_EQ(desktop.ShowMessage(nullptr, "Vistrel", "first line\nsecond", MessageIcon::Warning, MessageButtons::Ok),
              MessageAnswer::Ok);
    EXPECT_EQ(desktop.ShowMessage(nullptr, "Vistrel", "Load all?", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::No);
    std::rewind(out);
    char buffer[128] = {};
    const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, out);
    std::fclose(out);
    EXPECT_EQ(std::string(buffer, n), "first line\nsecond\nLoad all?\n");
}
