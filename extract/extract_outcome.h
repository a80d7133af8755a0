// How one extraction command ended, and the text that tells the user.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvalt {

enum class ExtractOutcome : std::uint8_t {
    NoPath,         // the trimmed path is empty
    OpenFailed,     // the input could not be opened and mapped
    NotPe,          // no MZ or no PE signature
    Done,           // scanned, every picture written, input released
    NotAllWritten,  // scanned, but some pictures could not be written
    InputShrank,    // the input got shorter while it was scanned; the scan stopped there
};

inline constexpr std::string_view kMessageNoPath = "请先打开要提取的文件";
inline constexpr std::string_view kMessageOpenFailed = "打开文件失败";
inline constexpr std::string_view kMessageNotPe = "你打开的不是PE文件";
inline constexpr std::string_view kMessageDone = "提取完成";
// Followed by the number of pictures not written, then the tail.
inline constexpr std::string_view kMessageNotAllWrittenHead = "提取未完成：";
inline constexpr std::string_view kMessageNotAllWrittenTail = " 个图片文件未能写入";
// The pictures found before the input shrank are kept; those behind are lost.
inline constexpr std::string_view kMessageInputShrank = "提取未完成：文件在读取时被截短";

// The message in UTF-8. notWritten counts only for NotAllWritten.
std::string OutcomeMessage(ExtractOutcome outcome, std::uint64_t notWritten);

}  // namespace korvalt
