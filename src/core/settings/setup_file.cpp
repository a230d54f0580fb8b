// setup.def as we write it is described in docs/setup-def.md.

#include "core/settings/setup_file.h"

#include "core/common/product.h"
#include "core/common/utf8.h"
#include "core/settings/setup_values.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

namespace core {
namespace {

constexpr int kLineCount = 92;
// A Windows path of 32767 UTF-16 units is under 100 000 bytes as UTF-8; nothing longer is ours.
constexpr size_t kMaxLineBytes = 128 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr const char* kLoadFailedText = "設定値の読み込みでエラーが発生したので　内部パラメータを初期化しました";

base::Status corrupt(int lineNumber, const std::string& what)
{
    return base::Status::error(base::ErrorCode::Corrupt, "setup.def line " + std::to_string(lineNumber) + ": " + what);
}

// Hands out the lines of the file one by one, each without its LF or CRLF; the last line may
// lack a line ending.
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : m_rest(bytes) {}

    base::Status next(std::string_view& line)
    {
        ++m_number;
        if (m_rest.empty())
            return corrupt(m_number, "the file ends before it");
        const size_t end = m_rest.find('\n');
        line = m_rest.substr(0, end);
        m_rest = end == std::string_view::npos ? std::string_view() : m_rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > kMaxLineBytes)
            return corrupt(m_number, "longer than any value");
        for (const char c : line)
            if (static_cast<unsigned char>(c) < 0x20)
                return corrupt(m_number, "control character");
        return base::Status::success();
    }

    int number() const { return m_number; }

private:
    std::string_view m_rest;
    int m_number = 0;
};

// Reads one record's worth of values straight into the fields, in file order.
class FieldReader {
public:
    FieldReader(std::string_view body, bool utf8) : m_lines(body), m_utf8(utf8) {}

    base::Status text(std::string& field)
    {
        std::string_view line;
        if (base::Status status = m_lines.next(line); !status.ok())
            return status;
        const auto value = setup::parseText(line);
        if (!value)
            return corrupt(m_lines.number(), "no text");
        if (m_utf8) {
            if (!isValidUtf8(*value))
                return corrupt(m_lines.number(), "not UTF-8");
            field.assign(*value);
            return base::Status::success();
        }
        const auto converted = platform::cp932ToUtf8(*value);
        if (!converted)
            return corrupt(m_lines.number(), "not CP932");
        field = *converted;
        return base::Status::success();
    }

    base::Status integer(std::int16_t& field)
    {
        std::string_view line;
        if (base::Status status = m_lines.next(line); !status.ok())
            return status;
        const auto value = setup::parseInteger(line);
        if (!value)
            return corrupt(m_lines.number(), "no 16-bit integer");
        field = *value;
        return base::Status::success();
    }

    base::Status dateTime(DateTime& field)
    {
        std::string_view line;
        if (base::Status status = m_lines.next(line); !status.ok())
            return status;
        const auto value = setup::parseDateTime(line);
        if (!value)
            return corrupt(m_lines.number(), "no date-time");
        field = *value;
        return base::Status::success();
    }

    template <typename T, size_t N, typename Read> base::Status each(std::array<T, N>& fields, Read read)
    {
        for (T& field : fields)
            if (base::Status status = (this->*read)(field); !status.ok())
                return status;
        return base::Status::success();
    }

private:
    LineReader m_lines;
    bool m_utf8;
};

base::Status readFields(FieldReader& in, SetupRecord& record)
{
    std::string header;
    base::Status status = in.text(header);
    if (status.ok() && header != kSetupHeader)
        status = corrupt(1, "not the header " + std::string(kSetupHeader));
    if (status.ok())
        status = in.text(record.BackupFolder);
    if (status.ok())
        status = in.each(record.MonthBackOption, &FieldReader::integer);
    if (status.ok())
        status = in.text(record.MonthBackTime);
    if (status.ok())
        status = in.integer(record.MonthBackTimeIndex);
    if (status.ok())
        status = in.each(record.DayBackHour, &FieldReader::integer);
    if (status.ok())
        status = in.integer(record.DayBackSlot);
    if (status.ok())
        status = in.each(record.DayBackDate, &FieldReader::dateTime);
    if (status.ok())
        status = in.each(record.MonthBackDate, &FieldReader::dateTime);
    return status;
}

// The file's first 92 lines at most, and no line beyond the longest a value can be (plus its
// CRLF): a huge or endless file is never read whole.
base::Result<std::string> readSetupBytes(const std::string& path)
{
    std::FILE* file = platform::openFile(path, "rb");
    if (file == nullptr)
        return platform::lastSystemError(path);
    std::string bytes;
    int lines = 0;
    size_t lineLength = 0;
    char buffer[16384];
    size_t got = 0;
    while (lines < kLineCount && lineLength <= kMaxLineBytes + 1 &&
           (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        for (size_t i = 0; i < got && lines < kLineCount && lineLength <= kMaxLineBytes + 1; ++i) {
            bytes += buffer[i];
            if (buffer[i] == '\n') {
                ++lines;
                lineLength = 0;
            } else {
                ++lineLength;
            }
        }
    }
    const bool failed = std::ferror(file) != 0;
    base::Status readError = failed ? platform::lastSystemError(path) : base::Status::success();
    std::fclose(file);
    if (failed)
        return readError;
    return bytes;
}

} // namespace

std::string saveFailureText(const base::Status& failure)
{
    return "設定を保存できませんでした\r" + failure.path() + "\r" + failure.detail();
}

std::string setupFilePath(const std::string& programFolder)
{
    return platform::joinPath(programFolder, "setup.def");
}

void ApplyDefaults(SetupRecord& record, const std::string& programFolder)
{
    record.BackupFolder = platform::joinPath(programFolder, "TmpRead");
    record.MonthBackOption.fill(0);
    record.MonthBackTime = "08:00";
    record.MonthBackTimeIndex = 16;
    record.DayBackHour.fill(0);
    record.DayBackSlot = 0;
    record.DayBackDate.fill(DateTime());
}

std::string serializeSetup(const SetupRecord& record)
{
    std::string text;
    const auto line = [&text](const std::string& value) { text += value + "\r\n"; };
    line(setup::formatText(kSetupHeader));
    line(setup::formatText(record.BackupFolder));
    for (const std::int16_t option : record.MonthBackOption)
        line(setup::formatInteger(option));
    line(setup::formatText(record.MonthBackTime));
    line(setup::formatInteger(record.MonthBackTimeIndex));
    for (const std::int16_t hour : record.DayBackHour)
        line(setup::formatInteger(hour));
    line(setup::formatInteger(record.DayBackSlot));
    for (const DateTime date : record.DayBackDate)
        line(setup::formatDateTime(date));
    for (const DateTime date : record.MonthBackDate)
        line(setup::formatDateTime(date));

    // Only the two texts can hold anything but ASCII, so the whole file converts exactly when
    // they do.
    if (auto cp932 = platform::utf8ToCp932(text))
        return std::move(*cp932);
    return std::string(kByteOrderMark) + text;
}

base::Status parseSetup(std::string_view bytes, SetupRecord& record)
{
    const bool utf8 = bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark;
    if (utf8)
        bytes.remove_prefix(kByteOrderMark.size());
    FieldReader in(bytes, utf8);
    return readFields(in, record);
}

bool LoadSetup(const std::string& programFolder, SetupRecord& record, Dialogs& dialogs, base::Status* rewriteStatus)
{
    const std::string path = setupFilePath(programFolder);
    base::Result<std::string> bytes = readSetupBytes(path);
    base::Status status = bytes.ok() ? parseSetup(*bytes, record) : bytes.status();
    if (rewriteStatus != nullptr)
        *rewriteStatus = base::Status::success();
    if (status.ok())
        return true;

    dialogs.message(kProductName, kLoadFailedText);
    ApplyDefaults(record, programFolder);
    const base::Status saved = SaveSetup(programFolder, record);
    if (rewriteStatus != nullptr)
        *rewriteStatus = saved;
    return false;
}

base::Status SaveSetup(const std::string& programFolder, const SetupRecord& record)
{
    // A line break in a folder name (possible outside Windows) would shift every later line and
    // cost all settings at the next start; the file on disk is the better one to keep.
    for (const std::string* text : {&record.BackupFolder, &record.MonthBackTime})
        for (const char c : *text)
            if (static_cast<unsigned char>(c) < 0x20)
                return base::Status::error(base::ErrorCode::InvalidArgument, "control character in a setting",
                                           setupFilePath(programFolder));
    return platform::writeFileAtomically(setupFilePath(programFolder), serializeSetup(record));
}

} // namespace core
