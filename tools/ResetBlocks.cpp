#include "tools/ResetBlocks.h"

namespace {

constexpr char kEscape = '\x1B';
constexpr size_t kExitPadding = 600;

} // namespace

std::string ResetExitBlock()
{
    std::string block(kExitPadding, '\0');
    block += kEscape;
    block += 'E';
    block += kEscape;
    block += "%-12345X";
    return block;
}

std::string ResetCommandBlock()
{
    std::string block(1, kEscape);
    block += "%P";
    block += "ds2.set_nvm_reset_bits 0x4ec;\n";
    block += "udw.quit;";
    return block;
}
