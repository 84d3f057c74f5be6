// Distributive files (".dist"): one installed file packed, signed and stamped with its version, its
// unpacked size and its CRC-32, and the names that tie an installed file to its distributive file.
//
// Layout (integers little-endian, S = file size):
//   0       4       "DSIG"
//   4       S - 92  packed body (selectable packer: 4-byte method signature, then the method's data)
//   S - 88  4       CRC-32 of the unpacked content
//   S - 84  4       unpacked length, signed
//   S - 80  16      version: major, minor, release, build, each signed 32-bit
//   S - 64  64      RSA signature over bytes 0 .. S - 65
//
// The distributive file of C:\App\bin\sub\x.dll of version 1.2.3.4, with the program in C:\App\bin\,
// is C:\App\.dist\sub\x.dll.1.2.3.4.dist. The native build uses "/" where Windows uses "\".
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Packer/UAbstractPacker.h"
#include "platform/SysUtils.h"
#include "utils/UDigSign.h"

class TMemoryStream;
class TStream;

DECLARE_EXCEPTION_CLASS(EDistPackerError, Exception);

// Magic, trailer and signature lengths that place the parts of a distributive file.
inline constexpr char DistMagic[4] = {'D', 'S', 'I', 'G'};
inline constexpr int32_t DistTrailerLength = 24;  // CRC, size and version in front of the signature

// AddPathDelimiter(DistRoot) + ".dist\" + FileSpec relative to BaseDir + "." + VersionText + ".dist".
// BaseDir defaults to the program's directory, DistRoot to DefaultDistRoot(BaseDir). The version text
// "?*.?*.?*.?*" gives a search mask for every version.
std::string DistFileName(const std::string& FileSpec, const std::string& VersionText, const std::string& DistRoot = "",
                         const std::string& BaseDir = "");
// The parent of BaseDir (the program's directory when empty) with a trailing delimiter; raises
// "ExpandFileNameEx: directory %s not exists" when BaseDir does not exist.
std::string DefaultDistRoot(const std::string& BaseDir = "");
// The trailing run of digits and dots after the fourth dot from the end, once ".dist" is dropped:
// x.exe.5.3.13.1.dist gives 5.3.13.1. EDistPackerError "Invalid file version part in file %s" unless
// it is a full version text.
std::string VersionFromDistName(const std::string& FileName);
// The installed file a distributive file stands for: the version suffix removed and the ".dist"
// folder replaced by InstallDirName (the program's directory name when empty, unless NoDefault).
// EDistPackerError "Distributive file name %s has invalid format" when the suffix is not in the name.
std::string FileSpecFromDistName(const std::string& DistFileName, std::string InstallDirName, bool NoDefault);
// FileName + ".ver", the side file that carries the version of a file without version resource.
std::string VerFileName(const std::string& FileName);
// "Version" and "CRC" of section [DistPack] of VerFileName(FileName) (missing values read as empty);
// true when both are non-empty.
bool ReadVerFile(const std::string& FileName, std::string& Version, std::string& CRC);

// Writes the whole of Data to FileName through a temporary file in the same folder that then takes
// the place of FileName, so that a failure leaves an existing FileName as it was. Raises Exception
// with the system's text on failure; the temporary file is removed then.
void SaveStreamReplacing(TMemoryStream& Data, const std::string& FileName);

// The reader: verifies distributive files, compares installed files with their content and restores
// them. One object serves a whole run; it keeps no state per file beyond its four names.
class TDistPacker {
public:
    TDistPacker();
    ~TDistPacker();
    TDistPacker(const TDistPacker&) = delete;
    TDistPacker& operator=(const TDistPacker&) = delete;

    // Full path of the distributive file; set directly.
    std::string DistFileSpec;
    // Version text a.b.c.d of the file in question.
    std::string FileVerStr;
    // The directory name that ".dist\" stands for when an installed path is derived.
    std::string InstallDirName;

    const std::string& FileSpec() const { return FFileSpec; }
    // Sets the installed file's path. A new path takes its version from the file's version resource,
    // else from its ".ver" side file; FileVerStr keeps its value when neither gives one.
    void SetFileSpec(const std::string& Value);
    TRSASSA& DigSign() { return *FDigSign; }
    IPacker* Packer() const { return FPacker.Get(); }

    // The verification key from the "PublicKey" raw-data resource of loader.exe: the running program's
    // own when it is loader.exe (any letter case), else of the loader.exe beside the program, loaded
    // as a data file. Failures: EDistPackerError "File %s not found", "Cannot load %s as resource
    // file, error:\r\n%s", "Resource \"PublicKey\" not found in loader.exe"; a malformed key raises
    // the key parser's own errors.
    void LoadPublicKey();
    // The verification key from a key file (the release tool's way, and the native one).
    void LoadPublicKeyFromFile(const std::string& FileName);

    // Signature, magic and trailer version of DistFileSpec, without unpacking; EDistPackerError on the
    // first failure. Errors of other classes (a short file, a missing key) pass as they are.
    void Verify();
    // Verify; false for an EDistPackerError.
    bool IsValid();
    // "" when the installed file FileSpec has the recorded size and CRC-32, else the reason. With
    // Replace the content (all checks passed, in memory first) is then written over FileSpec, its
    // folder created when missing; failures of that raise "Cannot replace file \"%s\", error:\r\n%s".
    // Without Replace a distributive file that fails its checks gives its message as the result.
    std::string CheckFile(bool Replace);
    // Completes DistFileSpec from FileSpec and FileVerStr, or FileVerStr (and FileSpec when empty)
    // from DistFileSpec. EDistPackerError "Must be known DistFileSpec or FileSpec + FileVerStr".
    void ResolveNames(const std::string& DistRoot = "", const std::string& BaseDir = "");
    // InstallDirName := the name of the program's directory.
    void InitInstallDirName();

    // The reading steps. ReadDist checks that DistFileSpec exists, verifies its signature when asked
    // (mapped, in one pass), opens it denying writers and continues in ReadDistStream, which verifies
    // the stream itself when asked, reads the trailer when asked, and unpacks into Output when given,
    // checking the unpacked CRC-32 and size against CRC and Size. VersionText is cleared on entry.
    void ReadDist(TMemoryStream* Output, uint32_t& CRC, int32_t& Size, std::string& VersionText, bool CheckSignature,
                  bool ReadTrailerToo);
    void ReadDistStream(TStream& Stream, TMemoryStream* Output, uint32_t& CRC, int32_t& Size,
                        std::string& VersionText, bool CheckSignature, bool ReadTrailerToo);
    // Magic, then CRC, size and version from the trailer; the version must equal the one in the name.
    void ReadTrailer(TStream& Stream, uint32_t& CRC, int32_t& Size, std::string& VersionText);

private:
    std::string FFileSpec;
    std::unique_ptr<TRSASSA> FDigSign;
    TComPtr<IPacker> FPacker;
    // The loader.exe loaded as a data file for its key; released with the object.
    std::shared_ptr<void> FKeyModule;
};
