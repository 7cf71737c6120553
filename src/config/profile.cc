#include "config/profile.h"

namespace {
enum { kBlack, kRed, kGreen, kYellow, kBlue, kMagenta, kCyan, kWhite };
constexpr int32_t D = kDefaultColor;

const ScreenAttr kDefaultAttrs[kAttrSlotCount] = {
    {kWhite, D, 0, 0},                                      // Normal
    {kGreen, D, 0, kAttrUnderline},                         // Dir
    {kCyan, kBlue, 0, kAttrReverse},                        // HighlightDir
    {kBlack, kWhite, 0, kAttrReverse},                      // Status
    {kCyan, D, 0, kAttrBold},                               // Spare
    {kWhite, D, kAttrBold, kAttrBold},                      // Bold
    {kYellow, D, kAttrBold, kAttrBold},                     // Italic
    {kYellow, kBlue, kAttrBold, 0},                         // ScrollArrow
    {kCyan, kBlue, 0, kAttrReverse},                        // ScrollBlock
    {kBlue, kCyan, 0, 0},                                   // ScrollBar
    {kBlack, kCyan, 0, kAttrReverse},                       // Title
    {kRed, D, 0, kAttrBold},                                // More
    {kWhite, D, kAttrBold, kAttrBold | kAttrUnderline},     // BoldLink
    {kYellow, D, kAttrBold, kAttrBold | kAttrUnderline},    // SymLink
    {kWhite, kBlue, kAttrBold, kAttrReverse},               // HighlightBoldLink
    {kYellow, kBlue, kAttrBold, kAttrReverse},              // HighlightSymLink
};
}  // namespace

ProfileConfig::ProfileConfig() {
  for (int slot = 0; slot < kAttrSlotCount; ++slot) attrs[slot] = kDefaultAttrs[slot];
}
