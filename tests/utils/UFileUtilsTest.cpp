#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/Classes.h"
#include "utils/UFileUtils.h"

namespace {

// Test names are written the Windows way; natively a drive becomes the root and "\" becomes "/".
std::string Sys(std::string S)
{
#ifndef _WIN32
    if (S.size() >= 2 && S[1] == ':') S = S.substr(2);
    std::replace(S.begin(), S.end(), '\\', '/');
#endif
    return S;
}

// A fresh folder with a trailing delimiter, removed at the end of the test.
class TFolder {
public:
    TFolder()
    {
        static int Counter = 0;
        std::filesystem::path P = std::filesystem::temp_directory_path() /
                                  ("fu" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                                   std::to_string(Counter++));
        std::filesystem::remove_all(P);
        std::filesystem::create_directories(P);
        FPath = Sys(std::filesystem::canonical(P).string() + "\\");
    }
    ~TFolder() { std::error_code E; std::filesystem::remove_all(FPath, E); }
    std::string operator/(const std::string& Rel) const { return FPath + Sys(Rel); }
    std::string Dir(const std::string& Rel) const
    {
        std::filesystem::create_directories(*this / Rel);
        return *this / (Rel + "\\");
    }
    std::string File(const std::string& Rel, const std::string& Bytes = "x") const
    {
        std::string Name = *this / Rel;
        std::filesystem::create_directories(std::filesystem::path(Name).parent_path());
        WriteFileBytes(Name, Bytes);
        return Name;
    }
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

std::string MessageOf(const std::function<void()>& F)
{
    try {
        F();
    } catch (const Exception& E) {
        return E.Message();
    }
    return "(no exception)";
}

DECLARE_EXCEPTION_CLASS(ETestError, Exception);

} // namespace

TEST(FileUtils, PathDelimiters)
{
    struct Case { const char* Path; const char* Added; const char* Excluded; } Cases[] = {
        {"", "", ""},
        {"C:", "C:", "C:"},
        {"d", "d:\\", "d"},
        {"Z", "Z:\\", "Z"},
        {"7", "7\\", "7"},
        {"C:\\Dir", "C:\\Dir\\", "C:\\Dir"},
        {"C:\\Dir\\", "C:\\Dir\\", "C:\\Dir"},
        {"C:\\Dir\\\\", "C:\\Dir\\\\", "C:\\Dir\\"},
        {"rel", "rel\\", "rel"},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(AddPathDelimiter(C.Path), C.Added) << C.Path;
        EXPECT_EQ(ExcludePathDelimiter(C.Path), C.Excluded) << C.Path;
    }
}

TEST(FileUtils, GetLastDirName)
{
    struct Case { const char* Path; const char* Expected; } Cases[] = {
        {"C:\\Apps\\Mirdal5\\loader.exe", "Mirdal5"},
        {"C:\\Apps\\Mirdal5\\", "Mirdal5"},
        {"C:\\loader.exe", "C:"},
        {"loader.exe", ""},
        {"orb5\\loader.exe", "orb5"},
    };
    for (const Case& C : Cases) EXPECT_EQ(GetLastDirName(C.Path), C.Expected) << C.Path;
    EXPECT_EQ(GetLastDirName(), GetLastDirName(GetExeName()));
    EXPECT_FALSE(GetLastDirName().empty());
}

TEST(FileUtils, ExtractRelativePath)
{
    struct Case { const char* Base; const char* Dest; const char* Expected; } Cases[] = {
        {"C:\\App\\Bin\\", "C:\\App\\.dist\\a.dist", "..\\.dist\\a.dist"},
        {"C:\\App\\Bin\\loader.exe", "C:\\App\\.dist\\a.dist", "..\\.dist\\a.dist"},
        {"C:\\App\\Bin\\", "C:\\App\\Bin\\a.dist", "a.dist"},
        {"C:\\App\\Bin\\", "C:\\App\\Bin\\", ""},
        {"C:\\App\\Bin\\", "C:\\App\\Bin\\sub\\a", "sub\\a"},
        {"C:\\x\\y\\z\\", "C:\\a.dist", "..\\..\\..\\a.dist"},
        {"C:\\App\\Binary\\", "C:\\App\\Bin\\a", "..\\Bin\\a"},
        {"\\\\srv\\share", "\\\\srv\\share\\f", "f"},
    };
    for (const Case& C : Cases) EXPECT_EQ(ExtractRelativePath(Sys(C.Base), Sys(C.Dest)), Sys(C.Expected)) << C.Dest;
#ifdef _WIN32
    struct Case Windows[] = {
        {"C:\\App\\Bin\\", "D:\\App\\a", "D:\\App\\a"},
        {"c:\\app\\BIN\\", "C:\\App\\Bin\\a", "a"},
        {"\\\\srv\\share\\a\\", "\\\\srv\\share\\b\\f", "..\\b\\f"},
        {"\\\\srv\\share\\a\\", "\\\\srv\\other\\a\\f", "\\\\srv\\other\\a\\f"},
    };
    for (const Case& C : Windows) EXPECT_EQ(ExtractRelativePath(C.Base, C.Dest), C.Expected) << C.Dest;
#endif
}

TEST(FileUtils, GetDisplayFileNameAgainstBase)
{
    struct Case { const char* File; const char* Base; const char* Expected; } Cases[] = {
        {"C:\\App\\.dist\\a.dist", "C:\\App\\Bin\\", "..\\.dist\\a.dist"},
        {"C:\\App\\.dist\\a.dist", "C:\\App\\Bin\\loader.exe", "..\\.dist\\a.dist"},
        {"C:\\a.dist", "C:\\x\\y\\z\\", "C:\\a.dist"},
        {"C:\\x\\a.dist", "C:\\x\\y\\z\\", "..\\..\\a.dist"},
        {"C:\\App\\Bin\\", "C:\\App\\Bin\\", "."},
        {"C:\\App\\Bin\\..\\.dist\\.\\a.dist", "C:\\App\\Bin\\", "..\\.dist\\a.dist"},
    };
    for (const Case& C : Cases) EXPECT_EQ(GetDisplayFileName(Sys(C.File), Sys(C.Base)), Sys(C.Expected)) << C.File;
}

TEST(FileUtils, GetDisplayFileNameAgainstCurrentDirectory)
{
    TFolder T;
    std::string Bin = T.Dir("App\\Bin");
    auto Saved = std::filesystem::current_path();
    std::filesystem::current_path(Bin);
    EXPECT_EQ(GetDisplayFileName(T / "App\\.dist\\a.dist"), Sys("..\\.dist\\a.dist"));
    EXPECT_EQ(GetDisplayFileName(Bin), ".");
    EXPECT_EQ(GetDisplayFileName("x.ini"), "x.ini");
    std::filesystem::current_path(Saved);
}

TEST(FileUtils, ExpandFileNameEx)
{
    TFolder T;
    std::string Bin = T.Dir("App\\Bin");
    std::string App = T / "App\\";
    auto Saved = std::filesystem::current_path();
    struct Case { std::string File, Base, Expected; } Cases[] = {
        {"..\\", Bin, App},
        {"..\\", Bin + "loader.exe", App},
        {"..", Bin + "loader.exe", T / "App"},
        {"x.ini", Bin + "loader.exe", Bin + "x.ini"},
        {".\\sub\\..\\x.ini", Bin, Bin + "x.ini"},
        {T / "other\\y.ini", Bin, T / "other\\y.ini"},
    };
    for (const Case& C : Cases) EXPECT_EQ(ExpandFileNameEx(Sys(C.File), C.Base), C.Expected) << C.File;
    EXPECT_EQ(std::filesystem::current_path(), Saved) << "the current directory must stay";

    std::string Missing = T / "App\\Nope\\";
    EXPECT_EQ(MessageOf([&] { ExpandFileNameEx("x", Missing + "loader.exe"); }),
              "ExpandFileNameEx: directory " + Missing + " not exists");
    // A base that names a file, not a directory, has no such directory either.
    std::string AFile = T.File("App\\Bin\\f");
    EXPECT_EQ(MessageOf([&] { ExpandFileNameEx("x", AFile + "\\y"); }),
              "ExpandFileNameEx: directory " + AFile + "\\ not exists");
}

TEST(FileUtils, FindFiles)
{
    TFolder T;
    T.File("a.dist");
    T.File("b.dist");
    T.File("c.txt");
    T.File(".hidden.dist");
    T.File("x.dist\\d.dist");  // a directory whose name matches the mask
    T.File("plain\\e.dist");   // a directory whose name does not
    std::vector<std::string> List{"kept"};
    EXPECT_EQ(FindFiles(T / "*.dist", List, false), 3);
    std::sort(List.begin() + 1, List.end());
    EXPECT_EQ(List, (std::vector<std::string>{"kept", T / ".hidden.dist", T / "a.dist", T / "b.dist"}));

    List.clear();
    EXPECT_EQ(FindFiles(T / "*.dist", List, true), 4);
    std::sort(List.begin(), List.end());
    EXPECT_EQ(List, (std::vector<std::string>{T / ".hidden.dist", T / "a.dist", T / "b.dist",
                                              T.Path() + "x.dist\\d.dist"}));

    List.clear();
    EXPECT_EQ(FindFiles(T / "none\\*.dist", List, false), 0);
    EXPECT_TRUE(List.empty());
}

TEST(FileUtils, FileSizeExistenceAndTempFiles)
{
    TFolder T;
    std::string F = T.File("five", "12345");
    EXPECT_EQ(GetFileSize(F), 5u);
    EXPECT_EQ(MessageOf([&] { GetFileSize(T / "none"); }).rfind("GetFileSize: ошибка открытия файла \"" + (T / "none") + "\": ", 0), 0u);

    EXPECT_NO_THROW(CheckFileExists(F));
    EXPECT_EQ(MessageOf([&] { CheckFileExists(T / "none"); }), "Файл \"" + (T / "none") + "\" не существует");
    EXPECT_EQ(MessageOf([&] { CheckFileExists(T.Path(), "shown"); }), "Файл \"shown\" не существует");
    EXPECT_THROW(CheckFileExists(T / "none", "", ExceptionClassOf<ETestError>), ETestError);

    std::string A = CreateTempFileName("dist", T.Path()), B = CreateTempFileName("dist", T.Path());
    EXPECT_NE(A, B);
    for (const std::string& N : {A, B}) {
        EXPECT_EQ(GetFileSize(N), 0u);
        EXPECT_EQ(ExtractFileName(N).substr(0, 3), "dis") << N;
        EXPECT_EQ(ExtractFileExt(N), ".tmp") << N;
    }
    EXPECT_THROW(CreateTempFileName("dist", T / "none"), EOSError);
    std::string Tmp = GetTempDir();
    EXPECT_TRUE(IsPathDelimiter(Tmp.back()));
}

TEST(FileUtils, CopyFileChecked)
{
    TFolder T;
    std::string Src = T.File("src", "new content");
    std::string Dst = T.File("dst", "old, longer content");
    CopyFileChecked(Src, Dst);
    EXPECT_EQ(GetFileSize(Dst), 11u);

    std::string Missing = T / "none";
    std::string M = MessageOf([&] { CopyFileChecked(Missing, Dst); });
    EXPECT_EQ(M.rfind("Не удалось скопировать файл \"" + Missing + "\" в \"" + Dst + "\", ошибка: ", 0), 0u) << M;
    EXPECT_GT(M.size(), M.find("ошибка: ") + 9) << "the system's text must follow";
    EXPECT_THROW(CopyFileChecked(Missing, Dst, ExceptionClassOf<ETestError>), ETestError);
}

TEST(FileUtils, CheckFolderAccess)
{
    TFolder T;
    std::string New = T / "a\\b\\c";
    CheckFolderAccess(New);
    EXPECT_TRUE(std::filesystem::is_directory(New));
    EXPECT_FALSE(std::filesystem::exists(New + Sys("\\") + FolderAccessProbeName)) << "no probe left behind";
    EXPECT_NO_THROW(CheckFolderAccess(T.Path()));

    // Network folders are reported, never created.
    std::string Net = "\\\\nosuchserver\\share\\dir";
    EXPECT_EQ(MessageOf([&] { CheckFolderAccess(Net); }),
              "Папка \"\\\\nosuchserver\\share\\dir\\\" недоступна или не существует");
    EXPECT_THROW(CheckFolderAccess(Net, ExceptionClassOf<ETestError>), ETestError);

    // A file in the way of the folder: it cannot be created, and the reason is told.
    std::string Blocker = T.File("blocker");
    std::string M = MessageOf([&] { CheckFolderAccess(Blocker + Sys("\\sub")); });
    EXPECT_EQ(M.rfind("Нет прав, чтобы создать папку \"" + Blocker + Sys("\\sub") + "\\\", ошибка: ", 0), 0u) << M;
    EXPECT_THROW(CheckFolderAccess(""), EAssertionFailed);
}

TEST(FileUtils, CopyFileWithTimeout)
{
    TFolder T;
    std::string Src = T.File("src.dist", std::string(100000, 'q'));
    std::string Err = "stale";
    // The destination folder is created on the way.
    std::string Dst = T / "fetched\\src.dist";
    EXPECT_TRUE(CopyFileWithTimeout(Src, Dst, Err, 30));
    EXPECT_EQ(Err, "");
    EXPECT_EQ(GetFileSize(Dst), 100000u);

    auto Saved = std::filesystem::current_path();
    std::filesystem::current_path(T.Dir("cwd"));
    EXPECT_TRUE(CopyFileWithTimeout(Src, "bare.dist", Err, 30)) << Err;
    EXPECT_EQ(GetFileSize(T / "cwd\\bare.dist"), 100000u);
    std::filesystem::current_path(Saved);

    EXPECT_FALSE(CopyFileWithTimeout(T / "none", Dst, Err, 30));
    EXPECT_EQ(Err.rfind("Не удалось скопировать файл \"" + (T / "none") + "\"", 0), 0u) << Err;
}

TEST(FileUtils, CopyFileWithTimeoutGivesUpOnASlowCopy)
{
    TFolder T;
    const int64_t Size = 256ll << 20;
    std::string Src = T / "big.dist";
    {
        TFileStream S(Src, fmCreate);
        S.SetSize(Size);
    }
    std::string Dst = T / "copy\\big.dist";
    std::string Err = "stale";
    EXPECT_FALSE(CopyFileWithTimeout(Src, Dst, Err, 0));
    EXPECT_EQ(Err, "");
    // Whatever became of the copy, it must settle: gone, or complete; never left half-written.
    auto SizeNow = [&] {
        std::error_code E;
        auto N = std::filesystem::file_size(Dst, E);
        return E ? int64_t(-1) : static_cast<int64_t>(N);
    };
    int64_t Now = -2;
    for (int I = 0; I < 600; ++I) {
        Now = SizeNow();
        if (Now == -1 || Now == Size) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(Now == -1 || Now == Size) << Now;
    // The process goes on unharmed and can copy again.
    std::string Small = T.File("small.dist", "abc");
    EXPECT_TRUE(CopyFileWithTimeout(Small, T / "copy\\small.dist", Err, 30)) << Err;
}
