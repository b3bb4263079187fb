#include "support/Keys.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/WindowProc.h"
#include "base/Console.h"
#include "platform/Window.h"

void Type(const std::string& text)
{
    for (char c : text)
        WindowProc(nullptr, platform::kMsgChar, static_cast<unsigned char>(c), 0);
}

void Key(std::uint32_t virtualKey)
{
    WindowProc(nullptr, platform::kMsgKeyDown, virtualKey, 0);
}

std::vector<std::string> ConsoleLines()
{
    std::vector<std::string> lines;
    char line[Console::kLineSize];
    Console::Instance()->Rewind();
    while (Console::Instance()->ReadNextLine(line, sizeof line))
        lines.insert(lines.begin(), line);
    return lines;
}

std::uint16_t TestPort(std::uint16_t base)
{
    // Below the kernel's ephemeral ports (32768 up): a client socket of a
    // test running beside this one could otherwise take the port first.
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return static_cast<std::uint16_t>(20000 + base % 10000 + std::hash<std::string>()(info->name()) % 2000);
}
