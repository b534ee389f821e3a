#include <gtest/gtest.h>

#include "tools/ResetBlocks.h"

TEST(ResetBlocks, AreByteExactWithoutTerminatingZero)
{
    const std::string exitBlock = ResetExitBlock();
    ASSERT_EQ(exitBlock.size(), kResetExitBlockBytes);
    EXPECT_EQ(exitBlock.find_first_not_of('\0'), 600u);
    EXPECT_EQ(exitBlock.substr(600), std::string("\x1B" "E" "\x1B" "%-12345X"));

    const std::string command = ResetCommandBlock();
    ASSERT_EQ(command.size(), kResetCommandBlockBytes);
    EXPECT_EQ(command, std::string("\x1B%Pds2.set_nvm_reset_bits 0x4ec;\nudw.quit;"));
    EXPECT_EQ(command.back(), ';') << "nothing follows the closing command";
}
