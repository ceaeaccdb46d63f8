// The catalogue file against the platform's own profile functions on generated files, and its saves against locks,
// unreadable files, duplicate sections and failed replacements on real files.
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "base/Raii.h"
#include "host/baseutil.h"
#include "library/CatalogueFile.h"
#include "tests/support/TestFolders.h"

using mimic::CatalogueFile;
using mimic::IniDocument;
using namespace testsupport;

namespace {

const char kDefault[] = "\x01 default";

std::string PlatformGet(const std::string &ini, const std::string &section, const std::string &key)
{
    return baseutil::GetPrivateProfileStringA(section.c_str(), key.c_str(), kDefault, ini.c_str());
}

std::string OurGet(const IniDocument &doc, const std::string &section, const std::string &key)
{
    std::string value;
    return doc.Find(section, key, value) ? value : kDefault;
}

// A section's keys and values in order, or with no section every section's name.
std::string PlatformList(const std::string &ini, const std::string *section)
{
    static std::vector<char> buf(1 << 20);
    DWORD n = section ? ::GetPrivateProfileSectionA(section->c_str(), buf.data(), static_cast<DWORD>(buf.size()),
                                                    ini.c_str())
                      : ::GetPrivateProfileSectionNamesA(buf.data(), static_cast<DWORD>(buf.size()), ini.c_str());
    return std::string(buf.data(), n);
}

// The generator's text in UTF-8, read in the ANSI code page as the profile functions read the file.
std::string ToUtf8(const std::string &ansi)
{
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0],
                                      static_cast<int>(wide.size())));
    std::string out(wide.size() * 3, '\0');
    out.resize(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out[0],
                                     static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

// Ini files of every shape the profile functions meet: names in either case with blanks and brackets, comments, lines
// without "=", quotes, NULs, very long values, duplicate sections and keys, CR LF, LF and CR line breaks, a missing
// last line break, UTF-8 with its mark, no file at all.
struct IniGenerator
{
    explicit IniGenerator(unsigned seed) : rng(seed) {}

    const std::vector<std::string> names{"a", "A", "b", "Sec One", "a]b", "x[y", "\xe9", "\xc9", "PlayMode", "\xa0n"};
    const std::vector<std::string> keys{"k", "K", "PlayMode", "accel", "x y", ";k", "#k", "[k", "k]", ""};

    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); }
    template <typename T> const T &Any(const std::vector<T> &v) { return v[Pick(v.size())]; }

    // ASCII letters in a random case, sometimes with blanks around.
    std::string Variant(std::string name, bool bBlanks)
    {
        for (char &c : name)
            if (isalpha(static_cast<unsigned char>(c)) && !(c & 0x80) && Pick(2))
                c ^= 0x20;
        return bBlanks && Pick(3) == 0 ? " " + name + "\t" : name;
    }

    std::string bytes;
    bool bMissing = false;
    std::vector<std::pair<std::string, std::string>> comments; // the section as the platform names it, the line

    void Make()
    {
        // N a section name, M one without "]", K a key, V a value, C a comment's number.
        static const std::vector<std::string> lines{
            "[N]", "[ N ]", "  [N]  ", "[N] junk", "[N];c", "\t[N]\x1a", "[M", "[]", ";cC", "# cC", "", "   ",
            "K=V", " K = V ", "K=\"V\"", "K='V'", "K=\"V'", "K=\"", "K=\"\"", "K", "K\x1a=V\x1a",
            std::string("K=V\0t", 5)};
        static const std::vector<std::string> values{"1", "0", "-3", "Ctrl+5", "\xe9", "\xa0x", "C:\\p\\a.pl", "",
                                                     "a=b"};
        const int style = static_cast<int>(Pick(4));
        std::string section;
        for (size_t i = 0, n = Pick(24); i < n; ++i)
        {
            std::string line, name = Any(names);
            for (char c : Any(lines))
            {
                if (c == 'M')
                    name = name.find(']') == std::string::npos ? name : "b";
                line += c == 'N' || c == 'M' ? Variant(name, false)
                        : c == 'K'           ? Variant(Any(keys), true)
                        : c == 'V'           ? (Pick(80) ? Any(values) : std::string(Pick(40000), 'v'))
                        : c == 'C'           ? std::to_string(i)
                                             : std::string(1, c);
            }
            line += std::vector<std::string>{"\r\n", "\n", "\r"}[style < 3 ? style : Pick(3)];
            const size_t b = line.find_first_not_of(" \t");
            if (b != std::string::npos && line[b] == '[' && line.find(']', b) != std::string::npos)
                section = line[b + 1] == ']' ? "" : name;
            else if (line.compare(0, 2, ";c") == 0 || line.compare(0, 3, "# c") == 0)
                comments.emplace_back(section, line);
            bytes += line;
        }
        if (Pick(3) == 0)
        {
            while (!bytes.empty() && (bytes.back() == '\r' || bytes.back() == '\n'))
                bytes.pop_back();
            while (!comments.empty() && bytes.find(comments.back().second) == std::string::npos)
                comments.back().second.pop_back();
        }
        bMissing = Pick(40) == 0;
        if (Pick(8) == 0)
            bytes = "\xEF\xBB\xBF" + ToUtf8(bytes) + (Pick(2) ? "x=\xe9" : "");
    }

    std::mt19937 rng;
};

std::string Folded(std::string name)
{
    for (char &c : name)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return name;
}

// The platform deletes the first section of a name; a removal here takes them all.
void PlatformRemoveAll(const std::string &ini, const std::string &section)
{
    for (std::string before; before != PlatformList(ini, nullptr);)
    {
        before = PlatformList(ini, nullptr);
        ::WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, ini.c_str());
    }
}

TEST(CatalogueFileTest, ReadsAndSavesAsTheProfileFunctionsDoOnGeneratedFiles)
{
    static const std::vector<std::string> savedKeys{"PlayMode", "Accel", "FilePath", "AddToMenu", "k", "x y"};
    static const std::vector<std::string> values{"1", "0", "-2", "Ctrl+5", "", "C:\\a b\\c.pl", "v=w", "\xe9"};
    TempFolder temp;
    const std::string ours = temp / "ours.ini", theirs = temp / "theirs.ini";
    for (int round = 0; round < 2000; ++round)
    {
        SCOPED_TRACE("file " + std::to_string(round));
        IniGenerator gen(20261206 + round);
        gen.Make();
        for (const std::string &file : {ours, theirs})
        {
            ::DeleteFileA(file.c_str());
            if (!gen.bMissing)
                WriteTextFile(file, gen.bytes);
        }
        IniDocument doc;
        ASSERT_EQ(CatalogueFile(ours).Load(doc),
                  gen.bMissing ? CatalogueFile::State::Missing : CatalogueFile::State::Read);
        for (int q = 0; q < 10; ++q)
        {
            const std::string section = gen.Variant(gen.Any(gen.names), true);
            const std::string key = gen.Variant(gen.Any(gen.keys), true);
            ASSERT_EQ(OurGet(doc, section, key), PlatformGet(ours, section, key))
                << "[" << section << "] " << key << " in:\n" << ::testing::PrintToString(gen.bytes);
        }

        // The same changes through one locked save of ours and through the platform's own writes must read back alike.
        CatalogueFile save(ours);
        std::map<std::pair<std::string, std::string>, std::string> saved; // by folded names
        std::set<std::string> removed;
        for (size_t op = 0, ops = 1 + gen.Pick(4); op < ops; ++op)
        {
            const std::string section = gen.Variant(gen.Any(gen.names), false);
            if (gen.Pick(5) == 0)
            {
                save.RemoveSection(section);
                PlatformRemoveAll(theirs, section);
                removed.insert(Folded(section));
                for (auto it = saved.begin(); it != saved.end();)
                    it = it->first.first == Folded(section) ? saved.erase(it) : std::next(it);
                continue;
            }
            const std::string key = gen.Variant(gen.Any(savedKeys), false), value = gen.Any(values);
            save.Set(section, key, value);
            ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), theirs.c_str());
            saved[{Folded(section), Folded(key)}] = value;
        }
        ASSERT_TRUE(save.Commit()) << save.Error();
        for (const auto &value : saved)
            EXPECT_EQ(PlatformGet(ours, value.first.first, value.first.second), value.second);
        ASSERT_EQ(PlatformList(ours, nullptr), PlatformList(theirs, nullptr));
        // The platform's own writes drop a header without a name, which moves
        // its keys into the section before; ours keep the file as it was.
        const bool bNameless = gen.bytes.find("[]") != std::string::npos;
        for (int q = 0; q < (bNameless ? 0 : 6); ++q)
        {
            const std::string name = gen.Any(gen.names), key = gen.Any(gen.keys);
            ASSERT_EQ(PlatformGet(ours, name, key), PlatformGet(theirs, name, key)) << name << "/" << key;
            if (q % 3 == 0)
            {
                ASSERT_EQ(PlatformList(ours, &name), PlatformList(theirs, &name)) << name;
            }
        }
        // Comments stay byte for byte, line break and all, unless their section went.
        const std::string after = gen.bMissing ? "" : ReadTextFile(ours);
        for (size_t i = 0; i < (gen.bMissing ? 0 : gen.comments.size()); ++i)
            EXPECT_EQ(after.find(gen.comments[i].second) != std::string::npos,
                      !removed.count(Folded(gen.comments[i].first)))
                << ::testing::PrintToString(gen.comments[i].second) << " in:\n" << ::testing::PrintToString(after);
    }
}

const char kStored[] = "; kept\r\n[a]\r\nPlayMode=3\r\n[b]\r\nAccel=Ctrl+1\r\n[a]\r\nPlayMode=7\r\n";

mimic::UniqueFile Open(const std::string &path, DWORD share)
{
    return mimic::UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST(CatalogueFileSaveTest, ASaveThatCannotBeMadeWritesNothingNamesTheFileAndBlocksNoLaterSave)
{
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    // What obstructs the save, what the error says, what another reader meanwhile gets (a file that cannot be read
    // is not an empty one), and the obstruction.
    const std::tuple<const char *, const char *, CatalogueFile::State,
                     std::function<mimic::UniqueFile(const std::string &ini, CatalogueFile &file)>>
        cases[] = {
        {"held open by another program", "can't be read", CatalogueFile::State::Unreadable,
         [](const std::string &ini, CatalogueFile &) { return Open(ini, 0); }},
        {"lock held elsewhere", "locked for 0.3 seconds", CatalogueFile::State::Read,
         [](const std::string &ini, CatalogueFile &) {
             mimic::UniqueFile lock = Open(CatalogueFile::LockPath(ini), FILE_SHARE_READ | FILE_SHARE_WRITE);
             OVERLAPPED at = {};
             EXPECT_TRUE(::LockFileEx(lock.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at));
             return lock;
         }},
        {"listed with defaults", "could not be read when the actions were listed", CatalogueFile::State::Read,
         [](const std::string &, CatalogueFile &file) {
             file.KeepStoredSections();
             return mimic::UniqueFile();
         }},
        // A half-written file of a save that crashed, and a reader the new file cannot replace.
        {"replacement fails", "left as it was", CatalogueFile::State::Read,
         [&](const std::string &ini, CatalogueFile &) {
             WriteTextFile(CatalogueFile::NewPath(ini), "half a file");
             return Open(ini, all);
         }}};
    for (const auto &[what, why, read, obstruct] : cases)
    {
        SCOPED_TRACE(what);
        TempFolder temp;
        const std::string ini = temp / "mimic.ini";
        WriteTextFile(ini, kStored);
        CatalogueFile file(ini, 300);
        mimic::UniqueFile holder = obstruct(ini, file);
        IniDocument doc;
        EXPECT_EQ(CatalogueFile(ini).Load(doc), read);
        file.Set("a", "PlayMode", "0");
        EXPECT_FALSE(file.Commit());
        holder.reset();
        EXPECT_NE(file.Error().find(ini), std::string::npos) << file.Error();
        EXPECT_NE(file.Error().find(why), std::string::npos) << file.Error();
        EXPECT_EQ(ReadTextFile(ini) + (FileExists(CatalogueFile::NewPath(ini)) ? "and a new file beside it" : ""),
                  kStored);

        CatalogueFile again(ini);
        again.Set("a", "PlayMode", "4");
        EXPECT_TRUE(again.Commit()) << again.Error();
        EXPECT_EQ(ReadTextFile(ini), "; kept\r\n[a]\r\nPlayMode=4\r\n[b]\r\nAccel=Ctrl+1\r\n[a]\r\nPlayMode=7\r\n");
    }
}

TEST(CatalogueFileSaveTest, ANewSectionIsSavedBesideKeptOnesAndUtf16IsLeftAlone)
{
    TempFolder temp;
    const std::string ini = temp / "mimic.ini";
    WriteTextFile(ini, kStored);
    CatalogueFile guarded(ini);
    guarded.KeepStoredSections(); // a section the file does not hold has nothing to lose
    guarded.Set("new", "PlayMode", "1");
    ASSERT_TRUE(guarded.Commit()) << guarded.Error();
    EXPECT_EQ(ReadTextFile(ini), std::string(kStored) + "[new]\r\nPlayMode=1\r\n");

    WriteTextFile(ini, std::string("\xFF\xFE[\0a\0]\0", 8));
    IniDocument doc;
    EXPECT_EQ(CatalogueFile(ini).Load(doc), CatalogueFile::State::Unreadable) << "UTF-16 is left alone";
}

} // namespace
