// The resources of the built Korvalt.exe, read back with the Windows resource
// functions: the dialog templates item by item, the icon groups, the string
// and the version block.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resource.h"

namespace {

constexpr WORD kChineseSimplified = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

const std::wstring& ProgramPath() {
    static const std::wstring path = [] {
        const std::string narrow = KORVALT_EXE_PATH;
        return std::wstring(narrow.begin(), narrow.end());
    }();
    return path;
}

// Korvalt.exe loaded as data, for the resource functions.
class ProgramResources : public ::testing::Test {
  protected:
    void SetUp() override {
        m_module = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr) << "cannot load " << ::testing::PrintToString(ProgramPath());
    }
    void TearDown() override {
        if (m_module != nullptr) {
            FreeLibrary(m_module);
        }
    }

    std::vector<WORD> Languages(LPCWSTR type, int id) const {
        std::vector<WORD> languages;
        EnumResourceLanguagesW(
            m_module, type, MAKEINTRESOURCEW(id),
            [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR out) -> BOOL {
                reinterpret_cast<std::vector<WORD>*>(out)->push_back(language);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&languages));
        return languages;
    }

    // The bytes of one resource in Chinese (PRC); empty when there is none.
    std::vector<BYTE> Data(LPCWSTR type, int id) const {
        EXPECT_EQ(Languages(type, id), std::vector<WORD>{kChineseSimplified}) << "resource " << id;
        HRSRC found = FindResourceExW(m_module, type, MAKEINTRESOURCEW(id), kChineseSimplified);
        if (found == nullptr) {
            return {};
        }
        const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(m_module, found)));
        return std::vector<BYTE>(bytes, bytes + SizeofResource(m_module, found));
    }

    HMODULE m_module = nullptr;
};

// Reads the fields of a dialog template in order.
class TemplateReader {
  public:
    explicit TemplateReader(const std::vector<BYTE>& bytes) : m_bytes(bytes) {}

    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return Take<short>(); }
    BYTE Byte() { return Take<BYTE>(); }

    // A string, or an ordinal written as "#n".
    std::wstring StringOrOrdinal() {
        if (Peek() == 0xFFFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        return String();
    }
    std::wstring String() {
        std::wstring text;
        for (WORD unit = Word(); unit != 0; unit = Word()) {
            text += static_cast<wchar_t>(unit);
        }
        return text;
    }
    void AlignToDword() { m_offset = (m_offset + 3) & ~std::size_t{3}; }

  private:
    WORD Peek() const {
        WORD value = 0;
        std::memcpy(&value, m_bytes.data() + m_offset, sizeof value);
        return value;
    }
    template <typename T>
    T Take() {
        T value{};
        if (m_offset + sizeof(T) <= m_bytes.size()) {
            std::memcpy(&value, m_bytes.data() + m_offset, sizeof(T));
        } else {
            ADD_FAILURE() << "read past the end of the template";
        }
        m_offset += sizeof(T);
        return value;
    }

    const std::vector<BYTE>& m_bytes;
    std::size_t m_offset = 0;
};

struct Item {
    int id;
    std::wstring windowClass;  // the predefined classes by ordinal
    std::wstring text;
    DWORD style;
    short x, y, cx, cy;
};

struct DialogTemplate {
    bool extended;
    DWORD style, exStyle;
    short x, y, cx, cy;
    std::wstring menu, windowClass, caption;
    WORD pointSize, weight;
    BYTE italic, charset;
    std::wstring font;
    std::vector<Item> items;
};

const std::wstring kButton = L"#128";
const std::wstring kEdit = L"#129";
const std::wstring kStatic = L"#130";
// A CONTROL statement's class, which windres writes by name.
const std::wstring kStaticByName = L"STATIC";

DialogTemplate ReadTemplate(const std::vector<BYTE>& bytes) {
    TemplateReader reader(bytes);
    DialogTemplate dialog{};
    std::size_t count = 0;
    dialog.extended = bytes.size() >= 4 && bytes[2] == 0xFF && bytes[3] == 0xFF;
    if (dialog.extended) {
        reader.Word();   // version
        reader.Word();   // signature
        reader.Dword();  // help id
        dialog.exStyle = reader.Dword();
        dialog.style = reader.Dword();
    } else {
        dialog.style = reader.Dword();
        dialog.exStyle = reader.Dword();
    }
    count = reader.Word();
    dialog.x = reader.Short();
    dialog.y = reader.Short();
    dialog.cx = reader.Short();
    dialog.cy = reader.Short();
    dialog.menu = reader.StringOrOrdinal();
    dialog.windowClass = reader.StringOrOrdinal();
    dialog.caption = reader.String();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = reader.Word();
        if (dialog.extended) {
            dialog.weight = reader.Word();
            dialog.italic = reader.Byte();
            dialog.charset = reader.Byte();
        }
        dialog.font = reader.String();
    }
    for (std::size_t i = 0; i < count; ++i) {
        reader.AlignToDword();
        Item item{};
        if (dialog.extended) {
            reader.Dword();  // help id
            EXPECT_EQ(reader.Dword(), 0u) << "item " << i << " extended style";
            item.style = reader.Dword();
        } else {
            item.style = reader.Dword();
            EXPECT_EQ(reader.Dword(), 0u) << "item " << i << " extended style";
        }
        item.x = reader.Short();
        item.y = reader.Short();
        item.cx = reader.Short();
        item.cy = reader.Short();
        item.id = dialog.extended ? static_cast<int>(reader.Dword()) : reader.Short();
        item.windowClass = reader.StringOrOrdinal();
        item.text = reader.StringOrOrdinal();
        const WORD extra = reader.Word();
        for (WORD b = 0; b < extra; ++b) {
            reader.Byte();
        }
        dialog.items.push_back(item);
    }
    return dialog;
}

struct DialogCase {
    const char* name;
    int id;
    DialogTemplate expected;
};

void PrintTo(const DialogCase& test, std::ostream* out) {
    *out << test.name;
}

class DialogTemplateTest : public ProgramResources,
                           public ::testing::WithParamInterface<DialogCase> {};

TEST_P(DialogTemplateTest, MatchesTheDesignItemByItem) {
    const DialogTemplate& expected = GetParam().expected;
    const DialogTemplate actual = ReadTemplate(Data(RT_DIALOG, GetParam().id));
    EXPECT_EQ(actual.extended, expected.extended);
    EXPECT_EQ(actual.style, expected.style);
    EXPECT_EQ(actual.exStyle, expected.exStyle);
    EXPECT_EQ((std::vector<short>{actual.x, actual.y, actual.cx, actual.cy}),
              (std::vector<short>{expected.x, expected.y, expected.cx, expected.cy}));
    EXPECT_EQ(actual.menu, L"");
    EXPECT_EQ(actual.windowClass, L"");
    EXPECT_EQ(actual.caption, expected.caption);
    EXPECT_EQ(actual.pointSize, expected.pointSize);
    EXPECT_EQ(actual.font, expected.font);
    EXPECT_EQ(actual.weight, expected.weight);
    EXPECT_EQ(actual.italic, expected.italic);
    EXPECT_EQ(actual.charset, expected.charset);
    ASSERT_EQ(actual.items.size(), expected.items.size());
    for (std::size_t i = 0; i < expected.items.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        const Item& want = expected.items[i];
        const Item& got = actual.items[i];
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.windowClass, want.windowClass);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.style, want.style) << std::hex << got.style << " != " << want.style;
        EXPECT_EQ((std::vector<short>{got.x, got.y, got.cx, got.cy}),
                  (std::vector<short>{want.x, want.y, want.cx, want.cy}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogTemplateTest,
    ::testing::Values(
        DialogCase{
            "MainDialog", IDD_MAIN_DIALOG,
            DialogTemplate{
                true,
                WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                WS_EX_APPWINDOW | WS_EX_ACCEPTFILES,
                0,
                0,
                267,
                75,
                L"",
                L"",
                L"Korvalt",
                9,
                0,
                0,
                DEFAULT_CHARSET,
                L"宋体",
                {
                    {IDC_STATIC, kStatic, L"文件：", kChild | SS_LEFT | WS_GROUP, 30, 10, 25, 10},
                    {IDC_FILE_PATH, kEdit, L"",
                     kChild | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, 60, 6, 180, 15},
                    {IDC_OPEN_FILE, kButton, L"打开文件", kChild | BS_PUSHBUTTON | WS_TABSTOP, 78,
                     39, 40, 20},
                    {IDC_EXTRACT, kButton, L"提取图片", kChild | BS_PUSHBUTTON | WS_TABSTOP, 148,
                     39, 40, 20},
                }}},
        DialogCase{"AboutBox", IDD_ABOUTBOX,
                   DialogTemplate{
                       false,
                       WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                       0,
                       0,
                       0,
                       235,
                       55,
                       L"",
                       L"",
                       L"关于 Korvalt",
                       9,
                       0,
                       0,
                       0,
                       L"宋体",
                       {
                           {IDC_STATIC, kStaticByName, L"#128", kChild | SS_ICON, 11, 17, 20, 20},
                           {IDC_STATIC, kStatic, L"Korvalt 1.0 版",
                            kChild | SS_LEFT | SS_NOPREFIX | WS_GROUP, 40, 10, 119, 8},
                           {IDC_STATIC, kStatic, L"版权所有 (C) Korvalt 开发组",
                            kChild | SS_LEFT | WS_GROUP, 40, 25, 119, 8},
                           {IDOK, kButton, L"确定",
                            kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 178, 7, 50, 14},
                       }}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

struct IconImage {
    int size;
    int bitCount;
    bool operator==(const IconImage&) const = default;
};

void PrintTo(const IconImage& image, std::ostream* out) {
    *out << image.size << "px/" << image.bitCount << "bpp";
}

TEST_F(ProgramResources, IconGroupsHoldTheirImagesAndTheFileIconComesFirst) {
    std::vector<int> groups;
    EnumResourceNamesW(
        m_module, RT_GROUP_ICON,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) -> BOOL {
            reinterpret_cast<std::vector<int>*>(out)->push_back(
                IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : -1);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ(groups, (std::vector<int>{IDI_FILE_ICON, IDR_MAINFRAME}));

    const struct {
        int id;
        std::vector<IconImage> images;
    } cases[] = {
        {IDR_MAINFRAME, {{32, 4}, {16, 4}}},
        {IDI_FILE_ICON, {{48, 8}, {32, 8}, {24, 8}, {16, 8}}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE("icon group " + std::to_string(test.id));
        const std::vector<BYTE> group = Data(RT_GROUP_ICON, test.id);
        TemplateReader reader(group);
        reader.Word();                // reserved
        EXPECT_EQ(reader.Word(), 1);  // icons, not cursors
        const WORD count = reader.Word();
        std::vector<IconImage> images;
        for (WORD i = 0; i < count; ++i) {
            const BYTE width = reader.Byte();
            const BYTE height = reader.Byte();
            reader.Byte();  // colour count
            reader.Byte();  // reserved
            reader.Word();  // planes
            const WORD bitCount = reader.Word();
            reader.Dword();  // bytes
            const WORD imageId = reader.Word();
            EXPECT_EQ(width, height);
            // The image itself must say the same as its directory entry.
            const std::vector<BYTE> image = Data(RT_ICON, imageId);
            BITMAPINFOHEADER header{};
            ASSERT_GE(image.size(), sizeof header);
            std::memcpy(&header, image.data(), sizeof header);
            EXPECT_EQ(header.biWidth, width);
            EXPECT_EQ(header.biBitCount, bitCount);
            images.push_back({width, bitCount});
        }
        EXPECT_EQ(images, test.images);
    }
}

TEST_F(ProgramResources, AboutStringIsTheSystemMenuEntry) {
    // Strings live in blocks of sixteen, block n + 1 holding ids 16n to 16n + 15.
    const std::vector<BYTE> block = Data(RT_STRING, IDS_ABOUTBOX / 16 + 1);
    TemplateReader reader(block);
    for (int skip = 0; skip < IDS_ABOUTBOX % 16; ++skip) {
        const WORD length = reader.Word();
        for (WORD unit = 0; unit < length; ++unit) {
            reader.Word();
        }
    }
    std::wstring text(reader.Word(), L'\0');
    for (auto& unit : text) {
        unit = static_cast<wchar_t>(reader.Word());
    }
    EXPECT_EQ(text, L"关于 Korvalt(&A)...");
}

TEST_F(ProgramResources, VersionBlockNamesTheProgramInChinese) {
    EXPECT_EQ(Languages(RT_VERSION, VS_VERSION_INFO), std::vector<WORD>{kChineseSimplified});
    DWORD ignored = 0;
    std::vector<BYTE> info(GetFileVersionInfoSizeW(ProgramPath().c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(ProgramPath().c_str(), 0, static_cast<DWORD>(info.size()),
                                    info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 2 * sizeof(WORD));
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 0x04B0);

    const auto field = [&](const std::wstring& name) -> std::wstring {
        wchar_t* value = nullptr;
        UINT chars = 0;
        const std::wstring query = L"\\StringFileInfo\\080404B0\\" + name;
        if (!VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars) ||
            value == nullptr) {
            return L"<missing>";
        }
        return value;
    };
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } fields[] = {
        {L"FileVersion", L"1, 0, 0, 1"},
        {L"ProductVersion", L"1, 0, 0, 1"},
        {L"InternalName", L"Korvalt"},
        {L"OriginalFilename", L"Korvalt.EXE"},
        {L"ProductName", L"Korvalt 应用程序"},
        {L"CompanyName", L""},
        {L"LegalTrademarks", L""},
    };
    for (const auto& expected : fields) {
        EXPECT_EQ(field(expected.name), expected.value) << ::testing::PrintToString(expected.name);
    }
    EXPECT_NE(field(L"FileDescription"), L"<missing>");
    EXPECT_NE(field(L"FileDescription"), L"");
    EXPECT_NE(field(L"LegalCopyright"), L"<missing>");
    EXPECT_NE(field(L"LegalCopyright"), L"");
}

}  // namespace
