// Character-wise scanning of ANSI byte strings. In a double-byte code page
// (Shift-JIS) the second byte of a character may equal '\\', '.', '[' or ':';
// every search and split goes through here so that such a byte is never
// mistaken for the single-byte character. Pure: no windows.h, so the rules can
// be tested and fuzzed natively with any lead-byte table.
#pragma once

#include <cstddef>
#include <string>

namespace kf {

// Tells whether a byte starts a two-byte character of the code page in use.
using IsLeadByteFn = bool (*)(unsigned char);

// Code page 932 lead bytes: 0x81-0x9F and 0xE0-0xFC.
bool IsShiftJisLeadByte(unsigned char b);
// A single-byte code page such as 1252.
bool NoLeadBytes(unsigned char b);

// Length in bytes of the character that starts at pos (1 or 2; 1 when a lead
// byte is the string's last byte).
std::size_t CharLength(const std::string& s, std::size_t pos, IsLeadByteFn isLead);

// First occurrence of needle that starts on a character boundary at or after
// from (which must itself be a boundary), or npos.
std::size_t FindText(const std::string& s, const std::string& needle, std::size_t from,
                     IsLeadByteFn isLead);

// Position of the first / last single-byte character ch, or npos.
std::size_t FindChar(const std::string& s, char ch, IsLeadByteFn isLead);
std::size_t FindLastChar(const std::string& s, char ch, IsLeadByteFn isLead);
// Position of the last character that is one of chars (all single-byte), or npos.
std::size_t FindLastOf(const std::string& s, const char* chars, IsLeadByteFn isLead);

// True when the last character of s is the single-byte ch (a trail byte equal
// to ch does not count).
bool EndsWithChar(const std::string& s, char ch, IsLeadByteFn isLead);

// At most maxBytes bytes of s, never cutting a two-byte character in half.
std::string TruncateText(const std::string& s, std::size_t maxBytes, IsLeadByteFn isLead);

}  // namespace kf
