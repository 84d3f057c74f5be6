// The release tool as a program: its command line, exit codes, and files that the reader and the
// format's own rules accept byte for byte.
#include <gtest/gtest.h>

#include <lzma.h>
#include <zlib.h>

#include "DistTestUtil.h"
#include "crypto/MD5.h"
#include "crypto/TempFiles.h"

#ifdef _WIN32
#include "support/TestSupport.h"
#else
#include <sys/wait.h>
#endif

namespace {

struct TToolRun {
    int Code = -1;
    std::string Output;
};

TToolRun RunDistpack(const std::string& Args, const std::string& Dir)
{
    TToolRun R;
#ifdef _WIN32
    TRunResult W = RunAndWait(Quoted(GetExeDir() + "distpack.exe") + " " + Args, Dir, 60000);
    R.Code = W.Finished ? static_cast<int>(W.ExitCode) : -1;
    R.Output = W.Output;
#else
    std::string Cmd = "cd '" + Dir + "' && '" + GetExeDir() + "distpack' " + Args + " 2>&1";
    FILE* P = popen(Cmd.c_str(), "r");
    char Buf[4096];
    size_t N;
    while ((N = fread(Buf, 1, sizeof Buf, P)) > 0) R.Output.append(Buf, N);
    int St = pclose(P);
    R.Code = WIFEXITED(St) ? WEXITSTATUS(St) : -1;
#endif
    return R;
}

std::vector<uint8_t> Bytes(const std::string& S)
{
    return {S.begin(), S.end()};
}

uint32_t Le32(const std::vector<uint8_t>& B, size_t Ofs)
{
    return uint32_t(B[Ofs]) | uint32_t(B[Ofs + 1]) << 8 | uint32_t(B[Ofs + 2]) << 16 | uint32_t(B[Ofs + 3]) << 24;
}

class TDistpack : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir.Write("key/test-private.key", HexBytes(TestPrivateKeyHex));
        Dir.Write("key/test-public.key", HexBytes(TestPublicKeyHex));
    }
    TToolRun Run(const std::string& Args) { return RunDistpack(Args, Dir.Path()); }
    TScratchDir Dir;
};

} // namespace

TEST_F(TDistpack, UsageErrorsExitTwoWithAUsageLine)
{
    Dir.Write("in.bin", {1, 2, 3});
    const char* Cases[] = {
        "",
        "bogus",
        "keygen only-one.key",
        "pack in.bin",
        "pack --key key/test-private.key in.bin",
        "pack --key key/test-private.key --method gzip in.bin out.1.2.3.4.dist",
        "pack --key key/test-private.key --version 1.2 in.bin out.1.2.3.4.dist",
        "pack --key key/test-private.key --key key/test-private.key in.bin out.1.2.3.4.dist",
        "pack --key",
        "verify --key key/test-public.key",
        "verify --nope x --key key/test-public.key in.bin",
        "unpack --key key/test-public.key a.1.2.3.4.dist",
        "info",
        "release --key key/test-private.key in.bin",
    };
    for (const char* Args : Cases) {
        TToolRun R = Run(Args);
        EXPECT_EQ(R.Code, 2) << Args << "\n" << R.Output;
        EXPECT_NE(R.Output.find("usage: distpack"), std::string::npos) << Args << "\n" << R.Output;
    }
}

TEST_F(TDistpack, KeygenWritesKeysInTheKeyEncodingAndNeverOverwrites)
{
    TToolRun R = Run("keygen new-private.key new-public.key");
    ASSERT_EQ(R.Code, 0) << R.Output;
    const std::vector<uint8_t> Pub = ReadFileBytes(Dir / "new-public.key");
    ASSERT_EQ(Pub.size(), 73u);
    EXPECT_EQ(std::vector<uint8_t>(Pub.begin(), Pub.begin() + 4), HexBytes("30470240"));
    EXPECT_EQ(std::vector<uint8_t>(Pub.end() - 5, Pub.end()), HexBytes("0203010001"));
    TRSAEngineKey Priv;
    TMemoryStream S(ReadFileBytes(Dir / "new-private.key"));
    Priv.LoadFromStream(S);
    EXPECT_EQ(Priv.Modulus.Bytes(), std::vector<uint8_t>(Pub.begin() + 4, Pub.begin() + 68));
    EXPECT_GE(Priv.Exponent.SignificantSize(), 60u);

    R = Run("keygen new-private.key other-public.key");
    EXPECT_EQ(R.Code, 1) << R.Output;
    EXPECT_EQ(ReadFileBytes(Dir / "new-public.key"), Pub);
}

// Every method: the bytes of the file follow the format, the reader accepts it and restores the content
// exactly, and the tool's own verify, info and unpack agree.
TEST_F(TDistpack, PackThenReadBackEveryMethod)
{
    const std::vector<uint8_t> Content = SampleContent(50000, 11);
    Dir.Write("content.bin", Content);
    const uint32_t Crc = static_cast<uint32_t>(crc32(0, Content.data(), static_cast<uInt>(Content.size())));
    for (const char* Method : {"bzip2", "zlib", "lzma"}) {
        const std::string Name = std::string("content.") + Method + ".1.2.3.40.dist";
        TToolRun R = Run(std::string("pack --key key/test-private.key --method ") + Method +
                         " --version 1.2.3.40 content.bin " + Name);
        ASSERT_EQ(R.Code, 0) << Method << "\n" << R.Output;
        const std::vector<uint8_t> F = ReadFileBytes(Dir / Name);
        const size_t S = F.size(), T = S - 88;
        EXPECT_EQ(std::string(F.begin(), F.begin() + 4), "DSIG");
        EXPECT_EQ(Le32(F, T), Crc) << Method;
        EXPECT_EQ(Le32(F, T + 4), Content.size()) << Method;
        EXPECT_EQ(std::vector<uint8_t>(F.begin() + static_cast<ptrdiff_t>(T + 8), F.begin() + static_cast<ptrdiff_t>(T + 24)),
                  HexBytes("01000000020000000300000028000000"))
            << Method;

        // The body as each method lays it out.
        const std::vector<uint8_t> Body(F.begin() + 4, F.end() - 88);
        if (std::string(Method) == "bzip2") {
            EXPECT_EQ(std::string(Body.begin(), Body.begin() + 8), "BZIPBZh9");
        } else if (std::string(Method) == "zlib") {
            EXPECT_EQ(std::vector<uint8_t>(Body.begin(), Body.begin() + 2), HexBytes("78da"));
        } else {
            EXPECT_EQ(std::string(Body.begin(), Body.begin() + 4), "LZMA");
            EXPECT_EQ(std::vector<uint8_t>(Body.begin() + 4, Body.begin() + 9), HexBytes("5d00008000"));
            EXPECT_EQ(Le32(Body, 9), Content.size());
            EXPECT_EQ(Le32(Body, 13), 0u);
            // Decoding exactly the recorded size must use up every byte: no end marker follows.
            lzma_options_lzma Opt{};
            lzma_lzma_preset(&Opt, 6);
            Opt.dict_size = 1u << 23;
            Opt.lc = 3;
            Opt.lp = 0;
            Opt.pb = 2;
            Opt.ext_flags = 0;
            Opt.ext_size_low = static_cast<uint32_t>(Content.size());
            Opt.ext_size_high = 0;
            lzma_filter Filters[2] = {{LZMA_FILTER_LZMA1EXT, &Opt}, {LZMA_VLI_UNKNOWN, nullptr}};
            lzma_stream Strm = LZMA_STREAM_INIT;
            ASSERT_EQ(lzma_raw_decoder(&Strm, Filters), LZMA_OK);
            std::vector<uint8_t> Out(Content.size() + 16);
            Strm.next_in = Body.data() + 17;
            Strm.avail_in = Body.size() - 17;
            Strm.next_out = Out.data();
            Strm.avail_out = Out.size();
            EXPECT_EQ(lzma_code(&Strm, LZMA_FINISH), LZMA_STREAM_END);
            EXPECT_EQ(Strm.avail_in, 0u);
            EXPECT_EQ(Strm.total_out, Content.size());
            lzma_end(&Strm);
        }

        // The signature block: the padded block of the digest, raised to the private exponent.
        TRSASSA Check;
        LoadTestKey(Check.PublicKey(), TestPublicKeyHex);
        TBigInt Sig(64);
        Sig.LoadFromBytes(F.data() + S - 64, 64);
        TBigInt M = TRSAEngine::Apply(Sig, Check.Engine().PublicKey().Exponent, Check.Engine().PublicKey().Modulus);
        M.ZeroExtend(64);
        TMD5Digest D = MD5Buffer(F.data(), S - 64);
        std::vector<uint8_t> Block(D.begin(), D.end());
        Block.push_back(0);
        Block.insert(Block.end(), 45, 0xFF);
        Block.insert(Block.end(), {0x01, 0x00});
        EXPECT_EQ(M.Bytes(), Block) << Method;

        // The reader restores the content exactly.
        TDistPacker Reader;
        Reader.LoadPublicKeyFromFile(Dir / "key/test-public.key");
        Reader.DistFileSpec = Dir / Name;
        Reader.SetFileSpec(Dir / (std::string("restored.") + Method));
        EXPECT_EQ(Reader.CheckFile(true), "File \"" + Display(Reader.FileSpec()) + "\" not exist");
        EXPECT_EQ(ReadFileBytes(Reader.FileSpec()), Content) << Method;

        R = Run("verify --key key/test-public.key " + Name);
        EXPECT_EQ(R.Code, 0) << R.Output;
        EXPECT_NE(R.Output.find(Name + " VALID"), std::string::npos) << R.Output;
        R = Run("info " + Name);
        EXPECT_EQ(R.Code, 0) << R.Output;
        for (std::string Line : {std::string("method: ") + Method, std::string("version in name: 1.2.3.40"),
                                 std::string("version in trailer: 1.2.3.40"), "size: " + std::to_string(Content.size()),
                                 "CRC-32: " + IntToHex(Crc, 8)})
            EXPECT_NE(R.Output.find(Line), std::string::npos) << Line << "\n" << R.Output;
        R = Run("unpack --key key/test-public.key " + Name + " unpacked.bin");
        EXPECT_EQ(R.Code, 0) << R.Output;
        EXPECT_EQ(ReadFileBytes(Dir / "unpacked.bin"), Content) << Method;
    }
}

TEST_F(TDistpack, RefusalsExitOneAndWriteNothing)
{
    const std::vector<uint8_t> Content = SampleContent(2000);
    Dir.Write("app.exe", Content);
    ASSERT_EQ(Run("pack --key key/test-private.key --version 2.0.0.1 app.exe app.exe.2.0.0.1.dist").Code, 0);
    std::vector<uint8_t> Damaged = ReadFileBytes(Dir / "app.exe.2.0.0.1.dist");
    Damaged[Damaged.size() / 2] ^= 1;
    Dir.Write("bad.2.0.0.1.dist", Damaged);

    TToolRun R = Run("verify --key key/test-public.key app.exe.2.0.0.1.dist bad.2.0.0.1.dist");
    EXPECT_EQ(R.Code, 1);
    EXPECT_NE(R.Output.find("app.exe.2.0.0.1.dist VALID"), std::string::npos) << R.Output;
    EXPECT_NE(R.Output.find("bad.2.0.0.1.dist Verification digital signature of distributive file bad.2.0.0.1.dist failed"),
              std::string::npos)
        << R.Output;

    struct Case { std::string Args, Message, MustNotExist; } Cases[] = {
        {"unpack --key key/test-public.key bad.2.0.0.1.dist out.bin", "Verification digital signature", "out.bin"},
        {"unpack --key key/test-public.key none.2.0.0.1.dist out.bin", "Distributive file none.2.0.0.1.dist not exists",
         "out.bin"},
        {"pack --key key/test-private.key --version 2.0.0.2 app.exe app.exe.2.0.0.1.dist", "must end in .2.0.0.2.dist",
         ""},
        {"pack --key key/test-private.key app.exe app.exe.2.0.0.1.dist", "has no version", ""},
        {"pack --key key/test-public.key --version 2.0.0.1 app.exe x.2.0.0.1.dist", "Invalid RSA private key",
         "x.2.0.0.1.dist"},
        {"pack --key key/test-private.key --version 2.0.0.1 missing.exe y.2.0.0.1.dist", "missing.exe", "y.2.0.0.1.dist"},
        {"pack --key key/missing.key --version 2.0.0.1 app.exe z.2.0.0.1.dist", "missing.key", "z.2.0.0.1.dist"},
        {"verify --key key/test-private.key app.exe.2.0.0.1.dist", "Verification digital signature", ""},
        {"info app.exe", "not a distributive file", ""},
        {"release --key key/test-private.key --base sub app.exe", "is not under", ""},
    };
    Dir.Write("sub/placeholder", {});
    for (const auto& C : Cases) {
        R = Run(C.Args);
        EXPECT_EQ(R.Code, 1) << C.Args << "\n" << R.Output;
        EXPECT_NE(R.Output.find(C.Message), std::string::npos) << C.Args << "\n" << R.Output;
        if (!C.MustNotExist.empty()) {
            std::vector<std::string> Found;
            EXPECT_EQ(FindFiles(Dir / C.MustNotExist, Found, false), 0) << C.Args;
        }
    }
}

// Release names and places each file by the rule the loader finds it with.
TEST_F(TDistpack, ReleaseIntoTheDistributiveFolder)
{
    const std::string Ver = "[DistPack]\r\nVersion=4.3.2.1\r\nCRC=0\r\n";
    Dir.Write("app/bin/app.exe", SampleContent(3000, 1));
    Dir.Write("app/bin/app.exe.ver", Bytes(Ver));
    Dir.Write("app/bin/sub/lib.dll", SampleContent(1000, 2));
    Dir.Write("app/bin/sub/lib.dll.ver", Bytes("[DistPack]\nVersion=1.0.0.9\n"));
    TToolRun R = Run("release --key key/test-private.key --base app/bin --method lzma app/bin/app.exe app/bin/sub/lib.dll");
    ASSERT_EQ(R.Code, 0) << R.Output;
    R = Run("release --key key/test-private.key --base app/bin --dist-root elsewhere app/bin/app.exe");
    ASSERT_EQ(R.Code, 0) << R.Output;
    EXPECT_EQ(ReadFileBytes(Dir / "elsewhere/.dist/app.exe.4.3.2.1.dist").empty(), false);

    struct Case { const char *Dist, *Installed; } Cases[] = {
        {"app/.dist/app.exe.4.3.2.1.dist", "app/bin/app.exe"},
        {"app/.dist/sub/lib.dll.1.0.0.9.dist", "app/bin/sub/lib.dll"},
    };
    for (const auto& C : Cases) {
        TDistPacker Reader;
        Reader.LoadPublicKeyFromFile(Dir / "key/test-public.key");
        Reader.InstallDirName = "bin";
        Reader.DistFileSpec = Dir / C.Dist;
        Reader.ResolveNames();
        EXPECT_EQ(Reader.FileSpec(), Dir / C.Installed);
        EXPECT_EQ(Reader.CheckFile(false), "") << C.Dist;
    }
}
