// The folder walkers against many random trees, checked with a model of the
// rules written apart from the walkers: what must be gone afterwards, what
// must stay, and the size GetTreeSize must report. Each tree comes from a
// seed and holds plain, hidden, system and read-only folders and files,
// links to folders and files inside and outside the tree, dangling links,
// locked files, names of the lengths where paths stop fitting, and names
// outside the ANSI code page. A sentinel tree outside, which the links point
// into, must be byte for byte the same after every run; so must it when the
// tree is changed while it is walked. Every tree is run in the four flag
// combinations with the Recycle Bin usable, and again in a second process
// where it cannot be used; and on every road the walkers take, with the
// links that road's systems have (none on 95/98, no links to files before
// Wine, which shows them as files).
//
// LARKSPIRE_WALK_SEED=<n> starts the seeds at n, LARKSPIRE_WALK_TREES=<n>
// runs n trees; a failure names its seed.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "ListingWatch.h"
#include "TestSupport.h"
#include "TreeWalk.h"
#include "WalkBranches.h"

namespace {

enum class Kind { File, Folder, FolderLink, FileLink, Dangling };

struct Node {
    std::wstring name;
    Kind kind;
    int parent;            // index of the parent folder; -1 for the top
    DWORD attributes;      // wanted extra attribute bits (files and folders)
    DWORD size;            // files
    bool locked;           // held open without sharing during the walk
    std::wstring target;   // links: the Windows path they point at
    DWORD sizeThroughLink; // file links: the size of what they point at
    // Read back once the tree is made:
    DWORD actual;              // attributes as listed
    std::string spelling;      // the ANSI name the shell may be handed for it; "" when none
    std::string shortSpelling; // the same for its short name
    std::string ansiName;      // 95 and 98: the name the ANSI listing gives, when usable, else its short name
};

// A name the file functions and the shell read as exactly that entry: no
// wildcard, separator, stream colon or control character, not only dots,
// no trailing dot or space, no device name.
bool UsableName(const std::string& name)
{
    if (name.empty() || name.find_first_of("\\/:*?\"<>|") != std::string::npos)
        return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 32)
            return false;
    if (name.find_first_not_of('.') == std::string::npos)
        return false;
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    CharUpperA(&base[0]);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
        if (base == device)
            return false;
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
        base[3] >= '0' && base[3] <= '9')
        return false;
    return name.back() != '.' && name.back() != ' ';
}

// The ANSI form of a wide name when the code page reads it back as exactly
// that name and it is usable; "" otherwise.
std::string ExactSpelling(const std::wstring& name)
{
    if (name.empty())
        return "";
    char narrow[MAX_PATH * 2] = "";
    int bytes = WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, narrow, sizeof(narrow), NULL, NULL);
    wchar_t back[MAX_PATH * 2] = L"";
    if (bytes <= 0 || MultiByteToWideChar(CP_ACP, 0, narrow, -1, back, MAX_PATH * 2) <= 0 || name != back)
        return "";
    return UsableName(narrow) ? narrow : "";
}

std::string Narrow(const std::wstring& text)
{
    char narrow[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow, sizeof(narrow), NULL, NULL);
    return narrow;
}

class Tree {
public:
    Tree(unsigned seed, const std::string& root, const std::string& outside, bool folderLinks, bool fileLinks)
        : random_(seed), root_(root), outside_(outside), folderLinks_(folderLinks), fileLinks_(fileLinks)
    {
    }

    // Draws the tree's shape: the same seed gives the same tree.
    void Draw()
    {
        nodes_.clear();
        Node top = {L"", Kind::Folder, -1, 0, 0, false, L"", 0, 0, ""};
        nodes_.push_back(top);
        DrawFolder(0, 0);
        // Names at the length limits: a folder whose path leaves room for a
        // file of exactly the longest path that fits, and one past it.
        int base = static_cast<int>(WideRoot().size()) - 4; // without "\\?\"
        int padLength = 236 - base;
        if (padLength > 4 && Chance(70)) {
            std::wstring pad = L"pad" + std::wstring(padLength - 3, L'p');
            int folder = Add(0, pad, Kind::Folder, 0);
            // root + "\" + pad + "\" + name: 260 characters fit, 261 do not.
            int room = 260 - (base + 1 + padLength + 1);
            Add(folder, std::wstring(room, L'f'), Kind::File, 0);
            Add(folder, std::wstring(room + 1, L'g'), Kind::File, 0);
            // Subfolders whose listing pattern ("\\*.*" after the path) is 259,
            // 260 and 263 characters long, each with a file.
            for (int pattern : {259, 260, 263}) {
                int sub = Add(folder, std::wstring(pattern - 3 - 1 - (base + 1 + padLength + 1), L'd'),
                              Kind::Folder, 0);
                Add(sub, L"x", Kind::File, 0);
            }
        }
    }

    // Makes the tree on disk and reads back what a walker will see.
    void Make()
    {
        WipeTree(root_);
        MakeDirs(root_);
        std::string links;
        for (size_t i = 1; i < nodes_.size(); ++i) {
            Node& node = nodes_[i];
            std::wstring path = WidePath(static_cast<int>(i));
            switch (node.kind) {
            case Kind::Folder:
                CreateDirectoryW(path.c_str(), NULL);
                break;
            case Kind::File: {
                HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
                EXPECT_NE(INVALID_HANDLE_VALUE, file) << Narrow(path);
                std::string data(node.size, static_cast<char>('a' + i % 26));
                DWORD written = 0;
                if (node.size != 0)
                    WriteFile(file, data.data(), node.size, &written, NULL);
                CloseHandle(file);
                break;
            }
            default:
                links += "ln -s " + ShellQuoted(node.kind == Kind::Dangling ? "/nonexistent/larkspire"
                                                                            : UnixPath(node.target)) +
                         " " + ShellQuoted(UnixPath(path)) + "\n";
                break;
            }
        }
        if (!links.empty()) {
            ASSERT_EQ(0u, RunShellScript(links));
        }
        // Attributes last: a read-only folder may refuse new entries.
        for (size_t i = nodes_.size(); i-- > 1;)
            if (nodes_[i].attributes != 0)
                SetFileAttributesW(WidePath(static_cast<int>(i)).c_str(), nodes_[i].attributes);
        ReadBack(0);
    }

    std::vector<Node>& Nodes() { return nodes_; }

    // The tree as drawn and as listed, to reproduce a failure by hand.
    std::string Describe() const
    {
        static const char* const kinds[] = {"file", "folder", "folder link", "file link", "dangling link"};
        std::string text;
        for (size_t i = 1; i < nodes_.size(); ++i) {
            const Node& node = nodes_[i];
            char line[96];
            wsprintfA(line, "  %-13s attributes %08lx listed %08lx%s  ", kinds[static_cast<int>(node.kind)],
                      node.attributes, node.actual, node.locked ? " locked" : "");
            text += line + Narrow(WidePath(static_cast<int>(i)).substr(4 + root_.size()));
            if (!node.target.empty())
                text += " -> " + Narrow(node.target);
            text += node.spelling.empty() ? "  (no ANSI spelling)\n" : "  as " + node.spelling + "\n";
        }
        return text;
    }
    std::wstring WidePath(int index) const
    {
        if (index == 0)
            return WideRoot();
        return WidePath(nodes_[index].parent) + L"\\" + nodes_[index].name;
    }
    // The path the shell may be handed for the node ("" when none): exact
    // spellings all the way, the short name where the own one makes it too
    // long for 260 characters.
    std::string ShellPath(int index) const
    {
        if (index == 0)
            return root_;
        std::string parent = ShellPath(nodes_[index].parent);
        const Node& node = nodes_[index];
        if (parent.empty() || node.spelling.empty())
            return "";
        if (parent.size() + 1 + node.spelling.size() <= MAX_PATH)
            return parent + "\\" + node.spelling;
        if (!node.shortSpelling.empty() && parent.size() + 1 + node.shortSpelling.size() <= MAX_PATH)
            return parent + "\\" + node.shortSpelling;
        return "";
    }
    // 95 and 98: the path a walk reaches the node by, in the ANSI listing's
    // names, when it fits 260 characters ("" otherwise).
    std::string NamePath(int index) const
    {
        if (index == 0)
            return root_;
        std::string parent = NamePath(nodes_[index].parent);
        const Node& node = nodes_[index];
        if (parent.empty() || node.ansiName.empty() || parent.size() + 1 + node.ansiName.size() > MAX_PATH)
            return "";
        return parent + "\\" + node.ansiName;
    }
    // The node's path by its own names (as long as it is).
    std::string FullPath(int index) const { return Narrow(WidePath(index).substr(4)); }

private:
    bool Chance(int percent) { return static_cast<int>(random_() % 100) < percent; }
    int Pick(int count) { return static_cast<int>(random_() % static_cast<unsigned>(count)); }

    std::wstring WideRoot() const { return L"\\\\?\\" + Widen(root_); }

    int Add(int parent, const std::wstring& name, Kind kind, DWORD attributes)
    {
        Node node = {name, kind, parent, attributes, 0, false, L"", 0, 0, ""};
        if (kind == Kind::File) {
            node.size = static_cast<DWORD>(random_() % 2000);
            node.locked = Chance(5);
        }
        nodes_.push_back(node);
        return static_cast<int>(nodes_.size()) - 1;
    }

    std::wstring FreshName(int parent)
    {
        static const wchar_t* const strange[] = {L"\u4E2D\u6587", L"caf\u00E9\u20AC", L"x\u4E2Dy.txt",
                                                 L"\u0416\u0437.dat", L"a"};
        for (;;) {
            std::wstring name;
            if (Chance(8)) {
                name = strange[Pick(5)];
            } else {
                int length = 1 + Pick(12);
                for (int i = 0; i < length; ++i)
                    name += static_cast<wchar_t>(L"abcdefghijklmnopqrstuvwxyz0123456789"[Pick(36)]);
                if (Chance(40))
                    name += Chance(50) ? L".txt" : L".tmp";
            }
            bool taken = false;
            for (const Node& node : nodes_)
                taken = taken || (node.parent == parent && lstrcmpiW(node.name.c_str(), name.c_str()) == 0);
            if (!taken)
                return name;
        }
    }

    void DrawFolder(int folder, int depth)
    {
        int entries = Pick(depth == 0 ? 9 : 6);
        for (int i = 0; i < entries; ++i) {
            int roll = Pick(100);
            std::wstring name = FreshName(folder);
            if (roll < 45) {
                DWORD attributes = Chance(10) ? FILE_ATTRIBUTE_READONLY : Chance(10) ? FILE_ATTRIBUTE_HIDDEN : 0;
                Add(folder, name, Kind::File, attributes);
            } else if (roll < 75 && depth < 4) {
                static const DWORD kinds[] = {0, 0, 0, 0, 0, 0, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN,
                                              FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_READONLY};
                int sub = Add(folder, name, Kind::Folder, kinds[Pick(10)]);
                DrawFolder(sub, depth + 1);
            } else if (roll < 86 && folderLinks_) {
                int link = Add(folder, name, Kind::FolderLink, 0);
                // Mostly outside; sometimes a folder of the tree itself.
                nodes_[link].target = Chance(65) ? Widen(outside_ + (Chance(50) ? "\\folder" : "")) : Widen(root_);
            } else if (roll >= 86 && roll < 95 && fileLinks_) {
                int link = Add(folder, name, Kind::FileLink, 0);
                nodes_[link].target = Widen(outside_ + "\\precious.txt");
                nodes_[link].sizeThroughLink = kPreciousSize;
            } else if (roll >= 95 && folderLinks_) {
                Add(folder, name, Kind::Dangling, 0);
            } else {
                Add(folder, name, Kind::File, 0); // where this road's systems have no such link
            }
        }
    }

    void ReadBack(int folder)
    {
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((WidePath(folder) + L"\\*").c_str(), &entry);
        std::map<std::wstring, WIN32_FIND_DATAW> listed;
        if (find != INVALID_HANDLE_VALUE) {
            do
                listed[entry.cFileName] = entry;
            while (FindNextFileW(find, &entry));
            FindClose(find);
        }
        for (size_t i = 1; i < nodes_.size(); ++i) {
            Node& node = nodes_[i];
            if (node.parent != folder)
                continue;
            auto found = listed.find(node.name);
            if (found == listed.end()) {
                node.actual = INVALID_FILE_ATTRIBUTES; // a dangling link is not listed
                continue;
            }
            node.actual = found->second.dwFileAttributes;
            node.shortSpelling = ExactSpelling(found->second.cAlternateFileName);
            std::string own = Narrow(node.name), shortName = Narrow(found->second.cAlternateFileName);
            node.ansiName = UsableName(own) ? own : UsableName(shortName) ? shortName : "";
            node.spelling = ExactSpelling(node.name);
            if (node.spelling.empty())
                node.spelling = node.shortSpelling;
            if (node.kind == Kind::Folder)
                ReadBack(static_cast<int>(i));
        }
    }

public:
    static const DWORD kPreciousSize = 777;

private:
    std::mt19937 random_;
    std::string root_;
    std::string outside_;
    bool folderLinks_, fileLinks_;
    std::vector<Node> nodes_;
};

enum class After { Gone, Stays, Either };

// What a walk with these flags must leave, node by node.
class Model {
public:
    Model(Tree& tree, bool recycle, bool removeFolders, bool binUsable, bool wine, bool byName)
        : tree_(tree), recycle_(recycle), removeFolders_(removeFolders), binUsable_(binUsable), wine_(wine),
          byName_(byName), after_(tree.Nodes().size(), After::Stays)
    {
        after_[0] = After::Stays;
        Walk(0);
    }

    After Of(int index) const { return after_[index]; }

    // GetTreeSize of the top: every file reachable through plain folders,
    // whatever the length of its path (on 95 and 98, whose walks go by path,
    // every file whose path fits).
    static DWORD Size(Tree& tree, bool byName, int folder = 0)
    {
        DWORD total = 0;
        std::vector<Node>& nodes = tree.Nodes();
        for (size_t i = 1; i < nodes.size(); ++i) {
            const Node& node = nodes[i];
            if (node.parent != folder || node.actual == INVALID_FILE_ATTRIBUTES ||
                !Reachable(tree, byName, static_cast<int>(i)))
                continue;
            if ((node.actual & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
                continue;
            if (node.actual == FILE_ATTRIBUTE_DIRECTORY)
                total += Size(tree, byName, static_cast<int>(i));
            else if ((node.actual & FILE_ATTRIBUTE_DIRECTORY) == 0 && !node.locked)
                total += node.kind == Kind::FileLink ? node.sizeThroughLink : node.size;
        }
        return total;
    }

private:
    // Whether a walk reaches the node at all: through handles always; by
    // path where the path fits (a folder's with room for "\\*.*").
    static bool Reachable(Tree& tree, bool byName, int index)
    {
        if (!byName)
            return true;
        std::string path = tree.NamePath(index);
        return !path.empty() && (tree.Nodes()[index].kind != Kind::Folder || path.size() + 4 <= MAX_PATH + 3);
    }

    std::vector<int> Children(int folder) const
    {
        std::vector<int> children;
        for (size_t i = 1; i < tree_.Nodes().size(); ++i)
            if (tree_.Nodes()[i].parent == folder)
                children.push_back(static_cast<int>(i));
        return children;
    }

    void Mark(int index, After after)
    {
        after_[index] = after;
        for (int child : Children(index))
            Mark(child, after);
    }

    // Whether the shell may take the folder whole: no link at any depth
    // (Wine lists a link to a file as a file; the walker finds it out).
    bool HoldsNoLink(int folder) const
    {
        for (int child : Children(folder)) {
            const Node& node = tree_.Nodes()[child];
            if (node.actual == INVALID_FILE_ATTRIBUTES)
                continue;
            if ((node.actual & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || node.kind == Kind::FileLink)
                return false;
            if ((node.actual & FILE_ATTRIBUTE_DIRECTORY) != 0 && (!Reachable(tree_, byName_, child) || !HoldsNoLink(child)))
                return false;
        }
        return true;
    }

    // What may keep the shell's whole-folder removal from finishing: a file
    // held open, a dangling link (never listed) when the shell deletes, and
    // on Wine, where the scan's pins stay, a folder inside when it deletes.
    bool Uncertain(int folder) const
    {
        for (int child : Children(folder)) {
            const Node& node = tree_.Nodes()[child];
            if (node.locked || (node.kind == Kind::Dangling && !binUsable_) ||
                (wine_ && !binUsable_ && node.kind == Kind::Folder) || Uncertain(child))
                return true;
        }
        return false;
    }

    // Walks a plain folder (or the top); true when everything in it goes.
    bool Walk(int folder)
    {
        bool emptied = true;
        for (int child : Children(folder)) {
            const Node& node = tree_.Nodes()[child];
            After after = After::Stays;
            if (node.actual == INVALID_FILE_ATTRIBUTES || (node.actual & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
                node.kind == Kind::FileLink || !Reachable(tree_, byName_, child)) {
                // Links stay, those to files too: Wine lists one as a file,
                // and deleting it would delete what it points at.
                Mark(child, After::Stays);
            } else if (node.actual == FILE_ATTRIBUTE_DIRECTORY) {
                bool gone = Walk(child);
                after = removeFolders_ && gone ? After::Gone : After::Stays;
                if (removeFolders_ && !gone && Either(child))
                    after = After::Either;
                after_[child] = after;
            } else if ((node.actual & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                // Whole, to the Recycle Bin, by a path the shell can be handed.
                if (recycle_ && !ShellPath(child).empty() && HoldsNoLink(child))
                    Mark(child, Uncertain(child) ? After::Either : After::Gone);
                else
                    Mark(child, After::Stays);
                after = after_[child];
            } else {
                after = FileAfter(node, !ShellPath(child).empty());
                // Where the system must be asked where a file lies (Wine),
                // whether it tells that of a path this long depends on the
                // Wine.
                if (after == After::Gone && wine_ && tree_.FullPath(child).size() > 255)
                    after = After::Either;
                after_[child] = after;
            }
            if (after != After::Gone)
                emptied = false;
        }
        return emptied;
    }

    std::string ShellPath(int index) const { return byName_ ? tree_.NamePath(index) : tree_.ShellPath(index); }

    // Whether anything below the folder may or may not go.
    bool Either(int folder) const
    {
        for (int child : Children(folder))
            if (after_[child] == After::Either || Either(child))
                return true;
        return false;
    }

    // A file goes to the shell by its shell path, else (no such path) it is
    // deleted through its folder; deleting refuses a read-only file, and so
    // does the shell when the Recycle Bin cannot take it.
    After FileAfter(const Node& node, bool shellPath) const
    {
        if (node.locked)
            return After::Stays;
        bool readOnly = (node.actual & FILE_ATTRIBUTE_READONLY) != 0;
        bool toShell = recycle_ && shellPath;
        if (readOnly && (!toShell || !binUsable_))
            return After::Stays;
        return After::Gone;
    }

    Tree& tree_;
    bool recycle_, removeFolders_, binUsable_, wine_, byName_;
    std::vector<After> after_;
};

// A listing of a tree that does not follow links: relative path -> what it
// is (attributes, size and contents of files).
typedef std::map<std::wstring, std::string> Snapshot;

void TakeSnapshot(const std::wstring& folder, const std::wstring& relative, Snapshot& snapshot)
{
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + relative + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::wstring path = relative + L"\\" + name;
        char line[64];
        wsprintfA(line, "%08lx ", entry.dwFileAttributes);
        std::string what = line;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            what += "link";
        } else if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            TakeSnapshot(folder, path, snapshot);
        } else {
            HANDLE file = CreateFileW((folder + path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      NULL, OPEN_EXISTING, 0, NULL);
            char data[4096];
            DWORD read = 0;
            while (file != INVALID_HANDLE_VALUE && ReadFile(file, data, sizeof(data), &read, NULL) && read > 0)
                what.append(data, read);
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
        }
        snapshot[path] = what;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

Snapshot SnapshotOf(const std::string& folder)
{
    Snapshot snapshot;
    TakeSnapshot(L"\\\\?\\" + Widen(folder), L"", snapshot);
    return snapshot;
}

// What changed between two snapshots, one line an entry.
std::string Difference(const Snapshot& before, const Snapshot& after)
{
    std::string text;
    for (const auto& entry : before) {
        auto found = after.find(entry.first);
        if (found == after.end())
            text += "  gone: " + Narrow(entry.first) + "\n";
        else if (found->second != entry.second)
            text += "  changed: " + Narrow(entry.first) + "\n";
    }
    for (const auto& entry : after)
        if (before.find(entry.first) == before.end())
            text += "  new: " + Narrow(entry.first) + "\n";
    return text;
}

// The sentinel tree the links point into; never to change.
void MakeOutside(const std::string& outside)
{
    WipeTree(outside);
    MakeFile(outside + "\\precious.txt", Tree::kPreciousSize);
    MakeFile(outside + "\\folder\\inner.txt", 12);
    MakeFile(outside + "\\folder\\deeper\\more.txt", 34);
    MakeDirs(outside + "\\folder\\empty");
    // The names a walk through a link would find in the tree too.
    MakeFile(outside + "\\a", 1);
    MakeFile(outside + "\\folder\\a.txt", 1);
}

unsigned EnvironmentNumber(const char* name, unsigned fallback)
{
    char value[32] = "";
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    return length != 0 && length < sizeof(value) ? static_cast<unsigned>(strtoul(value, NULL, 10)) : fallback;
}

const char* Flags(bool recycle, bool removeFolders)
{
    static const char* const names[] = {"delete", "delete+folders", "recycle", "recycle+folders"};
    return names[(recycle ? 2 : 0) + (removeFolders ? 1 : 0)];
}

// Holds the tree's locked files open for the length of a walk.
struct Locks {
    explicit Locks(Tree& tree)
    {
        for (size_t i = 0; i < tree.Nodes().size(); ++i)
            if (tree.Nodes()[i].locked && tree.Nodes()[i].kind == Kind::File)
                handles.push_back(CreateFileW(tree.WidePath(static_cast<int>(i)).c_str(),
                                              GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
    }
    ~Locks()
    {
        for (HANDLE handle : handles)
            if (handle != INVALID_HANDLE_VALUE)
                CloseHandle(handle);
    }
    std::vector<HANDLE> handles;
};

class WalkModel : public WalkBranches {
protected:
    // Wine's road is the one these machines take; the others get a quarter
    // of the trees.
    unsigned Trees(unsigned divisor) const
    {
        unsigned trees = EnvironmentNumber("LARKSPIRE_WALK_TREES", 60) / divisor;
        return Branch() == kWalkWine ? trees : (trees + 3) / 4;
    }
};

TEST_P(WalkModel, RandomTreesLoseExactlyWhatTheRulesSayAndNothingOutside)
{
    const unsigned first = EnvironmentNumber("LARKSPIRE_WALK_SEED", 1);
    const unsigned trees = Trees(1);
    const bool binUsable = !RecycleBinUnusable();
    const ProtectedFolders protectedFolders;
    ScratchDir scratch("walk-model");
    const std::string root = scratch / "tree";
    const std::string outside = scratch / "outside";
    MakeOutside(outside);
    const Snapshot sentinel = SnapshotOf(outside);
    ASSERT_FALSE(sentinel.empty());
    int runs = 0, checked = 0;
    for (unsigned seed = first; seed < first + trees && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed) + (binUsable ? "" : ", Recycle Bin unusable"));
        Tree tree(seed, root, outside, FolderLinks(), FileLinks());
        tree.Draw();
        tree.Make();
        {
            Locks locks(tree);
            EXPECT_EQ(Model::Size(tree, Branch() == kWalkWindows9x), GetTreeSize(root.c_str()));
        }
        for (int flags = 0; flags < 4; ++flags) {
            const bool recycle = flags >= 2, removeFolders = (flags & 1) != 0;
            SCOPED_TRACE(Flags(recycle, removeFolders));
            tree.Make();
            Model model(tree, recycle, removeFolders, binUsable, FileLinks(), Branch() == kWalkWindows9x);
            {
                Locks locks(tree);
                EXPECT_EQ(1, RemoveTree(root.c_str(), recycle, removeFolders, protectedFolders));
            }
            ++runs;
            for (size_t i = 0; i < tree.Nodes().size(); ++i) {
                After after = model.Of(static_cast<int>(i));
                if (after == After::Either)
                    continue;
                std::wstring path = tree.WidePath(static_cast<int>(i));
                // A link is there when its parent lists it.
                bool there = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
                if (tree.Nodes()[i].kind == Kind::Dangling)
                    continue; // not listed, so not checkable by name
                EXPECT_EQ(after == After::Stays, there)
                    << Narrow(path.substr(4)) << (after == After::Stays ? " should stay" : " should be gone");
                ++checked;
            }
            EXPECT_TRUE(SnapshotOf(outside) == sentinel) << "the sentinel tree changed:\n"
                                                         << Difference(sentinel, SnapshotOf(outside));
            if (HasFailure()) {
                printf("tree of seed %u:\n%s", seed, tree.Describe().c_str());
                break;
            }
        }
        EmptyTrash();
    }
    WipeTree(root);
    printf("walk model, %s: %u trees from seed %u, %d runs, %d entries checked%s\n",
           WalkBranchName(testing::TestParamInfo<WalkBranch>(Branch(), 0)).c_str(), trees, first, runs,
           checked, binUsable ? "" : ", Recycle Bin unusable");
    if (binUsable) {
        EXPECT_EQ(0u, RerunWithoutRecycleBin()) << "the same trees with the Recycle Bin unusable";
    }
}

// --- Trees that change while they are walked ---------------------------------

struct Mutator {
    std::mt19937 random;
    Tree* tree;
    std::string outside;
    int budget;
    int done;
    std::string log; // the changes made, to reproduce a failure
    bool fromUnix;   // folders renamed from outside Wine, else as a Windows program does
};
Mutator* g_mutator = NULL;

// Every so often during a walk, a folder of the tree becomes a link to the
// sentinel tree, a file appears, or a file goes: before and after each batch
// of a listing. On Wine's road the folder is renamed away from outside Wine,
// which the walk's open folders cannot stop; on the roads of Windows as a
// Windows program renames it, which a walk's pin of it refuses.
void MutatingListing(const std::string&, bool)
{
    Mutator* mutator = g_mutator;
    if (mutator != NULL && mutator->budget > 0 && mutator->tree->Nodes().size() > 1 &&
        mutator->random() % 3 == 0) {
        --mutator->budget;
        std::vector<Node>& nodes = mutator->tree->Nodes();
        int index = 1 + static_cast<int>(mutator->random() % (nodes.size() - 1));
        const Node& node = nodes[index];
        std::string unixPath = UnixPath(mutator->tree->WidePath(index));
        std::string script;
        char moved[32];
        wsprintfA(moved, ".moved-%d", mutator->done + 1);
        if (!unixPath.empty()) {
            // Only where no folder above the entry has become a link by an
            // earlier change: the changes themselves must not reach outside.
            const std::string entry = ShellQuoted(unixPath);
            script = "p=$(dirname " + entry + ")\n[ \"$(realpath \"$p\")\" = \"$p\" ] || exit 3\n";
            if (node.kind == Kind::Folder) {
                std::string folder = mutator->random() % 2 ? mutator->outside : mutator->outside + "\\folder";
                script += "[ -d " + entry + " ] && [ ! -L " + entry + " ] || exit 3\n";
                std::string link = "ln -s " + ShellQuoted(UnixPath(folder)) + " " + entry;
                if (mutator->fromUnix) {
                    script += "mv " + entry + " " + ShellQuoted(unixPath + moved) + "\n" + link;
                } else {
                    std::wstring path = mutator->tree->WidePath(index);
                    bool renamed = RunShellScript(script) == 0 &&
                                   MoveFileW(path.c_str(), (path + Widen(moved)).c_str());
                    script = renamed ? link : "";
                }
            } else if (mutator->random() % 2) {
                script += "rm -f " + entry + " || true";
            } else {
                script += "echo new > " + ShellQuoted(unixPath + ".new") + " || true";
            }
        }
        if (!script.empty() && RunShellScript(script) == 0) {
            ++mutator->done;
            mutator->log += "  " + script + "\n";
        }
    }
}

TEST_P(WalkModel, TreesChangedWhileWalkedNeverReachOutside)
{
    if (!FolderLinks())
        GTEST_SKIP() << "the changes make links, which this road's systems do not have";
    const unsigned first = EnvironmentNumber("LARKSPIRE_WALK_SEED", 1);
    const unsigned trees = Trees(3);
    const ProtectedFolders protectedFolders;
    ScratchDir scratch("walk-changing");
    const std::string root = scratch / "tree";
    const std::string outside = scratch / "outside";
    MakeOutside(outside);
    const Snapshot sentinel = SnapshotOf(outside);
    ListingWatch watch(MutatingListing);
    ListingWatch::EveryBatch(true);
    int runs = 0, mutations = 0;
    for (unsigned seed = first; seed < first + trees && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Tree tree(seed, root, outside, FolderLinks(), FileLinks());
        tree.Draw();
        for (int flags = 0; flags < 4; ++flags) {
            const bool recycle = flags >= 2, removeFolders = (flags & 1) != 0;
            SCOPED_TRACE(Flags(recycle, removeFolders));
            tree.Make();
            Mutator mutator = {std::mt19937(seed * 4 + flags), &tree, outside, 3, 0, "", Branch() == kWalkWine};
            g_mutator = &mutator;
            RemoveTree(root.c_str(), recycle, removeFolders, protectedFolders);
            GetTreeSize(root.c_str());
            g_mutator = NULL;
            ++runs;
            mutations += mutator.done;
            EXPECT_TRUE(Exists(root));
            EXPECT_TRUE(SnapshotOf(outside) == sentinel) << "the sentinel tree changed:\n"
                                                         << Difference(sentinel, SnapshotOf(outside));
            if (HasFailure()) {
                printf("tree of seed %u:\n%schanges made:\n%s", seed, tree.Describe().c_str(),
                       mutator.log.c_str());
                break;
            }
        }
        EmptyTrash();
    }
    WipeTree(root);
    printf("walk model, %s, changing trees: %u trees, %d runs, %d changes made during walks\n",
           WalkBranchName(testing::TestParamInfo<WalkBranch>(Branch(), 0)).c_str(), trees, runs,
           mutations);
}

INSTANTIATE_WALK_BRANCHES(WalkModel);

} // namespace
