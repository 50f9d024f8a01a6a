#pragma once

// The maker's line and addresses shown by the about box and used by the main
// window's mail commands. Neutral placeholders: the addresses lie in a
// reserved domain that never resolves.
namespace bw::contacts {

inline constexpr char kMakerLine[] = "Made by the Brindlewick developers";
inline constexpr char kSupportMail[] = "support@brindlewick.invalid";
// The copy address of the mail commands.
inline constexpr char kCopyMail[] = "developers@brindlewick.invalid";
inline constexpr char kPage1[] = "http://www.brindlewick.invalid/";
inline constexpr char kPage2[] = "http://news.brindlewick.invalid/";
inline constexpr char kThanks[] =
    "Thanks to everyone who tried the program, reported faults and suggested improvements.";

} // namespace bw::contacts
