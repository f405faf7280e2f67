#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <cstdint>
#include <vector>

// One registry hive in memory and its text form, the registry editor's
// export. A new hive file is a REGEDIT4 export: cp1251 text, CRLF line ends,
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Orbastel\V3721Conf\MainWindow]
//   "FormVersion"="0"
//   "Count"=dword:0000002a
//   "Path"=hex(2):25,54,45,4d,50,25,00
//
// so that a hive file can be imported into a Windows registry as it is.
// Names compare without regard to letter case and keep the case they were
// created with.

namespace Reg {
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;
inline constexpr uint32_t REG_MULTI_SZ = 7;
inline constexpr uint32_t REG_QWORD = 11;
} // namespace Reg

struct THiveValue {
    QByteArray Name; // empty: the key's default value
    uint32_t Type = Reg::REG_NONE;
    QByteArray Data;

    bool operator==(const THiveValue &) const = default;
};

struct THiveKey {
    QByteArray Name;
    std::vector<THiveValue> Values; // in the order they were first written
    std::vector<THiveKey> SubKeys;  // sorted by name, as the registry lists them

    bool operator==(const THiveKey &) const = default;

    THiveKey *FindSubKey(const QByteArray &name);
    const THiveKey *FindSubKey(const QByteArray &name) const;
    // The subkey of that name, created in its sorted place when missing.
    THiveKey &AddSubKey(const QByteArray &name, bool *created = nullptr);
    bool RemoveSubKey(const QByteArray &name);

    const THiveValue *FindValue(const QByteArray &name) const;
    // Returns whether anything changed.
    bool SetValue(const QByteArray &name, uint32_t type, const QByteArray &data);
    bool RemoveValue(const QByteArray &name);
};

// Keys nest at most this deep below the root, as in the Windows registry.
inline constexpr int MaxKeyDepth = 512;

// Registry names compare without regard to letter case (Cyrillic included).
bool SameRegistryName(const QByteArray &a, const QByteArray &b);

// Whether a key or value name can be stored and written to a hive file: no
// control characters, and for keys neither empty nor holding '\'.
bool IsValidKeyName(const QByteArray &name);
bool IsValidValueName(const QByteArray &name);

// ------------------------------------------------------------ hive files
//
// A hive file is read the way the registry editor imports a file, and
// written back so that only what changed in the hive changes in the file:
// comments, lines that could not be read, sections of other root keys and
// every value that stayed the same keep their lines as they were.

// REGEDIT4 files hold cp1251 text. "Windows Registry Editor Version 5.00"
// files hold Unicode text (UTF-16LE with a byte order mark, as the editor
// exports them, or UTF-8), and their hex lists of REG_SZ, REG_EXPAND_SZ and
// REG_MULTI_SZ values hold UTF-16LE; the hive holds all texts in cp1251.
enum class THiveFormat { Regedit4, Version5 };

// Lines of a hive file as read, line ends removed, in the file's own text:
// cp1251 for REGEDIT4, UTF-8 for 5.00.
struct THiveText {
    QByteArrayList Lines;
    // The lines that stand for a value are written back as they are while
    // the value stays as read; all other lines as they are, unless their
    // section goes.
    bool IsValue = false;
    QByteArray Name;     // cp1251
    QByteArray NameText; // the name as it stands in the file: "..." or @
    uint32_t Type = Reg::REG_NONE;
    QByteArray Data;
    QByteArray Remark; // a comment after the value on its last line, with the blanks before it
};

struct THiveBlock {
    enum TKind {
        Preamble, // the header and what stands before the first section
        Section,  // a section of the hive's root key: Path below the root
        Deletion, // [-KEY] of a key below the hive's root: Path
        Kept,     // a section of another root key, or one that cannot be read
    };
    TKind Kind = Preamble;
    QList<QByteArray> Path;
    std::vector<THiveText> Texts; // the section line first
};

struct THiveDocument {
    QByteArray RootName;
    THiveFormat Format = THiveFormat::Regedit4;
    std::vector<THiveBlock> Blocks; // the preamble first
};

// The document of a hive file that does not exist yet: the header alone.
THiveDocument NewHiveDocument(const QByteArray &rootName, THiveFormat format = THiveFormat::Regedit4);

// A line the registry editor would skip when importing the file.
struct THiveSkippedLine {
    int Line = 0;      // 1-based
    QByteArray Text;   // the line (and the lines of its hex list) as in the file
    QByteArray Reason; // what is wrong with it
};

struct THiveParseResult {
    bool Ok = false; // false: the file cannot be read at all
    THiveKey Root;
    THiveDocument Document;
    std::vector<THiveSkippedLine> Skipped;
    int ErrorLine = 0; // when not Ok: the 1-based line of the fault
    QByteArray Error;  // and what is wrong there
};

// Parses a hive file whose keys lie below `rootName` ("HKEY_CURRENT_USER").
// An empty text is an empty hive. Reads what the registry editor imports:
// the REGEDIT4 and the 5.00 header, comments (';' lines and after an entry;
// a ';' inside a quoted text is text), blank lines, LF, CRLF or CR CR LF
// line ends, "@" for the default value, the escapes \\, \" and \n in quoted
// texts (any other backslash stands for itself), control characters inside
// quoted texts, hex lists continued with '\' across blank and comment lines,
// a trailing '\' after a key, keys whose parents have no section of their
// own, and the deletions [-KEY] and "name"=-. Sections of other root keys are
// kept but not read. A line the editor would skip (an entry that does not
// parse, a value outside any key, a section that cannot be read with its
// lines) is skipped and listed. Only a file without a header, or with text
// that does not decode, cannot be read at all. Never fails on any input
// other than by reporting it.
THiveParseResult ParseHive(const QByteArray &text, const QByteArray &rootName);

// The file of `root` written over the document it was read from: the lines
// of the document in their order, without the sections of keys deleted since
// and the lines of values deleted since, changed values written anew in their
// place, new values at the end of their key's last section, and new keys in
// sections of their own at the end; in the document's format (5.00: UTF-16LE
// with a byte order mark), CRLF line ends.
QByteArray FormatHive(const THiveDocument &document, const THiveKey &root);

// The REGEDIT4 text of the hive alone: every key in a section of its own,
// depth first, the root only when it holds values.
QByteArray FormatHive(const THiveKey &root, const QByteArray &rootName);
