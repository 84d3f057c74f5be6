// The packer interface: COM behaviour, the method signature, the unpacking report, the selectable
// packer's choice and state, and the file operations.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Packer/UBZip2Packer.h"
#include "Packer/ULzmaALonePacker.h"
#include "Packer/UPasZLibPacker.h"
#include "Packer/USelectablePacker.h"
#include "PackerTestData.h"
#include "utils/UCRC32Calc.h"

namespace {

// A packer whose method name the test chooses, and which tells when it is destroyed.
class TNamedPacker : public TAbstractPacker {
public:
    TNamedPacker(std::string Name, bool* Destroyed = nullptr)
        : TAbstractPacker(IID_IPacker), FName(std::move(Name)), FDestroyed(Destroyed) {}
    ~TNamedPacker() override
    {
        if (FDestroyed) *FDestroyed = true;
    }
    std::string GetDefaultExt() override { return ".named"; }
    std::string GetMethodName() override
    {
        if (FName == "!oserror") throw EOleSysError("access denied", static_cast<HRESULT>(0x80070005u));
        return FName;
    }
    // Packs by writing the signature only; unpacks by copying what follows it.
    void DoUnPackStream(TStream& InStream, TStream& OutStream, int32_t Size) override
    {
        TAbstractPacker::DoUnPackStream(InStream, OutStream, Size);
        int64_t Left = InStream.Size() - InStream.Position();
        if (Left) OutStream.CopyFrom(InStream, Left);
    }

private:
    std::string FName;
    bool* FDestroyed;
};

TComPtr<IPacker> Named(const std::string& Name, bool* Destroyed = nullptr)
{
    return TComPtr<IPacker>(static_cast<IPacker*>(new TNamedPacker(Name, Destroyed)));
}

std::string Report(uint32_t Crc, size_t Size, const TBytes& Head)
{
    return Format("\r\nInStream: CRC=%x, Size=%d, первые %d байт: \"%s\"",
                  {Crc, static_cast<int>(Size), static_cast<int>(Head.size()), Head});
}

// A folder of its own under the temporary directory, removed afterwards.
class TPackerFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* Info = ::testing::UnitTest::GetInstance()->current_test_info();
        FDir = std::filesystem::temp_directory_path() / (std::string("packer-") + Info->name());
        std::filesystem::remove_all(FDir);
        std::filesystem::create_directories(FDir);
    }
    void TearDown() override { std::filesystem::remove_all(FDir); }
    std::string Path(const std::string& Name) const { return (FDir / Name).string(); }
    void Write(const std::string& Name, const TBytes& B) const { WriteFileBytes(Path(Name), B); }
    TBytes Read(const std::string& Name) const
    {
        auto V = ReadFileBytes(Path(Name));
        return TBytes(V.begin(), V.end());
    }
    bool Exists(const std::string& Name) const { return std::filesystem::exists(FDir / Name); }

    std::filesystem::path FDir;
};

} // namespace

TEST(PackerInterface, AnswersItsInterfacesWithOneIdentity)
{
    TComPtr<IPacker> P = MakePacker<TBZip2Packer>();
    TComPtr<IUnknown> Unk1, Unk2;
    TComPtr<IQuilletInit> Init;
    TComPtr<IDispatch> Disp;
    ASSERT_EQ(P->QueryInterface(IID_IUnknown, Unk1.OutVoid()), S_OK);
    ASSERT_EQ(P->QueryInterface(IID_IQuilletInit, Init.OutVoid()), S_OK);
    ASSERT_EQ(Init->QueryInterface(IID_IUnknown, Unk2.OutVoid()), S_OK);
    EXPECT_EQ(Unk1.Get(), Unk2.Get());
    ASSERT_EQ(Init->QueryInterface(IID_IDispatch, Disp.OutVoid()), S_OK);
    TComPtr<IPacker> Back;
    ASSERT_EQ(Disp->QueryInterface(IID_IPacker, Back.OutVoid()), S_OK);
    EXPECT_EQ(Back.Get(), P.Get());

    void* None = reinterpret_cast<void*>(1);
    const GUID Other = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    EXPECT_EQ(P->QueryInterface(Other, &None), E_NOINTERFACE);
    EXPECT_EQ(None, nullptr);
}

TEST(PackerInterface, ErrorInformationOnlyForThePackerInterface)
{
    TComPtr<IPacker> P = MakePacker<TSelectablePacker>();
    TComPtr<ISupportErrorInfo> Support;
    ASSERT_EQ(P->QueryInterface(IID_ISupportErrorInfo, Support.OutVoid()), S_OK);
    EXPECT_EQ(Support->InterfaceSupportsErrorInfo(IID_IPacker), S_OK);
    EXPECT_EQ(Support->InterfaceSupportsErrorInfo(IID_IQuilletInit), S_FALSE);
    EXPECT_EQ(Support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);

    UINT Count = 7;
    EXPECT_EQ(P->GetTypeInfoCount(&Count), E_NOTIMPL);
    EXPECT_EQ(P->GetIDsOfNames(IID_IPacker, nullptr, 0, 0, nullptr), E_NOTIMPL);
    EXPECT_EQ(P->Invoke(1, IID_IPacker, 0, 0, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
}

TEST(PackerInterface, LastReleaseDestroysTheObject)
{
    bool Destroyed = false;
    {
        TComPtr<IPacker> P = Named("ABCD", &Destroyed);
        TComPtr<IPacker> Copy = P;
        P.Reset();
        EXPECT_FALSE(Destroyed);
        EXPECT_EQ(PackerGetMethodName(Copy.Get()), "ABCD");
    }
    EXPECT_TRUE(Destroyed);
}

TEST(PackerInterface, FailureStatusCarriesTheTextNotTheClass)
{
    TComPtr<IPacker> P = MakePacker<TBZip2Packer>();
    TMemoryStream Empty, Out;
    EXPECT_EQ(P->UnPackStreamEx(&Empty, &Out, 0), E_UNEXPECTED);
    EXPECT_EQ(P->PackStream(nullptr, &Out, 0), E_UNEXPECTED);  // a missing stream is an internal error

    try {
        PackerUnPackStreamEx(P.Get(), Empty, Out, 0);
        FAIL() << "no error";
    } catch (const EPackerError&) {
        FAIL() << "the packer's own class crossed the interface";
    } catch (const EOleException& E) {
        EXPECT_EQ(E.ErrorCode, E_UNEXPECTED);
        EXPECT_EQ(FirstLine(E.Message()), "TBZip2Packer.UnPackStreamEx: Stream read error");
    }

#ifdef _WIN32
    // What any COM client sees: the system's error information for the IPacker id, whole text.
    TMemoryStream Short = StreamOf(TBytes("BZIP\0\x01", 6));
    ASSERT_EQ(P->UnPackStreamEx(&Short, &Out, 0), E_UNEXPECTED);
    IErrorInfo* Info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &Info), S_OK);
    GUID Id{};
    TBStr Text, Source;
    EXPECT_EQ(Info->GetGUID(&Id), S_OK);
    EXPECT_TRUE(Id == IID_IPacker);
    EXPECT_EQ(Info->GetDescription(Text.Out()), S_OK);
    EXPECT_EQ(Info->GetSource(Source.Out()), S_OK);
    Info->Release();
    EXPECT_EQ(FirstLine(Text.ToString()), "TBZip2Packer.UnPackStreamEx: error -5");
    std::string Whole = Text.ToString();
    ASSERT_GE(Whole.size(), 8u);
    EXPECT_EQ(Whole.substr(Whole.size() - 8), TBytes("\"BZIP\0\x01\"", 8));  // zero bytes survive
    EXPECT_EQ(Source.ToString(), "");
#endif

    // An error that carries a system status hands that status on.
    TComPtr<IPacker> Failing = Named("!oserror");
    EXPECT_EQ(Failing->PackStream(&Empty, &Out, 0), static_cast<HRESULT>(0x80070005u));
    try {
        PackerPackStream(Failing.Get(), Empty, Out, 0);
        FAIL() << "no error";
    } catch (const EOleException& E) {
        EXPECT_EQ(E.ErrorCode, static_cast<HRESULT>(0x80070005u));
        EXPECT_EQ(E.Message(), "access denied");
    }
}

TEST(PackerInterface, InitAcceptsAnyNodeButTheSelectablePackerNeedsOne)
{
    TComPtr<IPacker> Node = MakePacker<TPasZLibPacker>();  // any dispatch object stands for the node
    for (bool Selectable : {false, true}) {
        TComPtr<IPacker> P = Selectable ? MakePacker<TSelectablePacker>() : MakePacker<TBZip2Packer>();
        TComPtr<IQuilletInit> Init;
        ASSERT_EQ(P->QueryInterface(IID_IQuilletInit, Init.OutVoid()), S_OK);
        EXPECT_EQ(Init->Init(Node.Get()), S_OK);
        EXPECT_EQ(Init->Init(nullptr), Selectable ? E_UNEXPECTED : S_OK) << Selectable;
    }
}

TEST(PackerFrame, SignatureIsTheFirstFourCharactersPaddedWithZeros)
{
    const struct {
        const char* Name;
        TBytes Signature;
    } Cases[] = {
        {"BZIP2", TBytes("BZIP", 4)},
        {"LZMA", TBytes("LZMA", 4)},
        {"AB", TBytes("AB\0\0", 4)},
        {"X", TBytes("X\0\0\0", 4)},
    };
    for (const auto& C : Cases) {
        TComPtr<IPacker> P = Named(C.Name);
        EXPECT_EQ(Pack(P.Get(), "ignored"), C.Signature) << C.Name;
    }
    TComPtr<IPacker> Nameless = Named("");
    TMemoryStream In, Out;
    EXPECT_EQ(Nameless->PackStream(&In, &Out, 0), E_UNEXPECTED);
    EXPECT_EQ(Out.Size(), 0);
}

TEST(PackerFrame, BaseSkipsAnyFourBytesUnchecked)
{
    TComPtr<IPacker> P = Named("ABCD");
    EXPECT_EQ(Unpack(P.Get(), TBytes("\x01\x00zzpayload", 11)), "payload");
    EXPECT_EQ(Unpack(P.Get(), "WXYZ"), "");
}

TEST(PackerFrame, UnpackFailureDescribesTheWholeInput)
{
    TComPtr<IPacker> Bz = MakePacker<TBZip2Packer>();
    TBytes Body = Pack(Bz.Get(), TextSample(200));
    TBytes Damaged = Body;
    Damaged[20] ^= 0x55;
    const struct {
        const char* Case;
        TBytes Input;
        std::string Failure;
    } Cases[] = {
        {"damaged", Damaged, "error -4"},
        {"empty", "", "Stream read error"},
        {"shorter than ten", TBytes("BZIP\0\x01", 6), "error -5"},
        {"cut", Body.substr(0, Body.size() / 2), "error -7"},
    };
    for (const auto& C : Cases) {
        // The description covers the stream from its start even when the body starts later.
        for (const TBytes& Prefix : {TBytes(), TBytes("\r\n\0pre", 6)}) {
            TBytes Whole = Prefix + C.Input;
            TMemoryStream In = StreamOf(Whole), Out;
            In.SetPosition(static_cast<int64_t>(Prefix.size()));
            try {
                TComPtr<IPacker> Holder = MakePacker<TBZip2Packer>();
                static_cast<TBZip2Packer*>(Holder.Get())->UnPackStreamEx(In, Out, 0);
                ADD_FAILURE() << C.Case << ": no error";
            } catch (const EPackerError& E) {
                TBytes Head = Whole.substr(0, 10);
                uint32_t Crc = CRC32OfBuffer(Whole.data(), static_cast<int32_t>(Whole.size()));
                EXPECT_EQ(E.Message(), "TBZip2Packer.UnPackStreamEx: " + C.Failure + Report(Crc, Whole.size(), Head))
                    << C.Case;
                EXPECT_EQ(In.Position(), static_cast<int64_t>(Head.size())) << C.Case;
            }
        }
    }
}

TEST(SelectablePacker, FreshObjectAnswersPackThenBzip2)
{
    TComPtr<IPacker> P = MakePacker<TSelectablePacker>();
    EXPECT_EQ(PackerGetMethodName(P.Get()), "PACK");
    EXPECT_EQ(PackerGetDefaultExt(P.Get()), ".pack");
    TBytes Body = Pack(P.Get(), "hello");
    EXPECT_EQ(Body.substr(0, 8), "BZIPBZh9");
    EXPECT_EQ(PackerGetMethodName(P.Get()), "BZIP2");
    EXPECT_EQ(PackerGetDefaultExt(P.Get()), ".bzip2");
}

TEST(SelectablePacker, ChoosesTheMethodBySignature)
{
    TBytes Input = TextSample(300);
    TBytes Lzma = Pack(MakePacker<TLzmaALonePacker>().Get(), Input);
    TBytes Bzip = Pack(MakePacker<TBZip2Packer>().Get(), Input);
    TBytes Zlib = Pack(MakePacker<TPasZLibPacker>().Get(), Input);
    const struct {
        const char* Case;
        TBytes Body;
        std::string Method;
    } Cases[] = {
        {"LZMA", Lzma, "LZMA"},
        {"BZIP", Bzip, "BZIP2"},
        {"bare zlib", Zlib, "ZLIB"},
        {"ZLIB-signed zlib", "ZLIB" + Zlib, "ZLIB"},
    };
    TComPtr<IPacker> P = MakePacker<TSelectablePacker>();
    for (const auto& C : Cases) {
        EXPECT_EQ(Unpack(P.Get(), C.Body), Input) << C.Case;
        EXPECT_EQ(PackerGetMethodName(P.Get()), C.Method) << C.Case;
        EXPECT_EQ(PackerGetDefaultExt(P.Get()), ".pack") << C.Case;
    }
    // Whatever it unpacked before, it packs with bzip2.
    EXPECT_EQ(Pack(P.Get(), Input), Bzip);
    EXPECT_EQ(Unpack(P.Get(), Lzma), Input);
    EXPECT_EQ(PackerGetMethodName(P.Get()), "LZMA");
    EXPECT_EQ(PackerGetDefaultExt(P.Get()), ".bzip2");
}

TEST(SelectablePacker, FailureIsReportedTwiceAndKeepsTheLastMethod)
{
    TBytes Input = TextSample(50);
    TBytes Lzma = Pack(MakePacker<TLzmaALonePacker>().Get(), Input);
    TComPtr<IPacker> P = MakePacker<TSelectablePacker>();
    ASSERT_EQ(Unpack(P.Get(), Lzma), Input);

    TBytes LowerCase = Lzma;
    LowerCase.replace(0, 4, "lzma");
    std::string E = UnpackError(P.Get(), LowerCase);
    EXPECT_EQ(E.rfind("TSelectablePacker.UnPackStreamEx: TPasZLibPacker.UnPackStreamEx: error\r\nInStream: ", 0), 0u)
        << E;
    TBytes Cut = Lzma.substr(0, 7);
    E = UnpackError(P.Get(), Cut);
    uint32_t Crc = CRC32OfBuffer(Cut.data(), static_cast<int32_t>(Cut.size()));
    std::string Line = Report(Crc, Cut.size(), Cut);
    EXPECT_EQ(E, "TSelectablePacker.UnPackStreamEx: TLzmaALonePacker.UnPackStreamEx: input .lzma file is too short" +
                     Line + Line);
    EXPECT_EQ(PackerGetMethodName(P.Get()), "LZMA");

    E = UnpackError(P.Get(), "BZ");
    EXPECT_EQ(E, "TSelectablePacker.UnPackStreamEx: Stream read error" + Report(CRC32OfBuffer("BZ", 2), 2, "BZ"));
}

TEST_F(TPackerFiles, DerivesMissingOutputNamesFromTheDefaultExtension)
{
    TBytes Input = TextSample(40);
    Write("x", Input);
    TComPtr<IPacker> Bz = MakePacker<TBZip2Packer>();
    PackerPackFile(Bz.Get(), Path("x"), "");
    ASSERT_TRUE(Exists("x.bzip2"));
    EXPECT_EQ(Read("x.bzip2").substr(0, 4), "BZIP");

    std::filesystem::rename(FDir / "x.bzip2", FDir / "data.BZIP2");
    PackerUnPackFile(Bz.Get(), Path("data.BZIP2"), "");
    EXPECT_EQ(Read("data"), Input);

    // No name can be derived: creating the output fails and nothing is written.
    Write("data.bin", Read("data.BZIP2"));
    try {
        PackerUnPackFile(Bz.Get(), Path("data.bin"), "");
        FAIL() << "no error";
    } catch (const EOleException& E) {
        EXPECT_EQ(E.Message().rfind("Cannot create file \"\".", 0), 0u) << E.Message();
    }

    TComPtr<IPacker> Sel = MakePacker<TSelectablePacker>();
    PackerPackFile(Sel.Get(), Path("x"), "");
    PackerPackFile(Sel.Get(), Path("x"), "");
    EXPECT_TRUE(Exists("x.pack"));
    EXPECT_TRUE(Exists("x.bzip2"));
    EXPECT_EQ(Read("x.pack"), Read("x.bzip2"));
}

TEST_F(TPackerFiles, ReportsFileErrorsAndTruncatesAnExistingOutput)
{
    TComPtr<IPacker> Zl = MakePacker<TPasZLibPacker>();
    try {
        PackerPackFile(Zl.Get(), Path("missing"), Path("out"));
        FAIL() << "no error";
    } catch (const EOleException& E) {
        EXPECT_EQ(E.Message().rfind("Cannot open file \"" + Path("missing") + "\".", 0), 0u) << E.Message();
    }
    EXPECT_FALSE(Exists("out"));

    Write("in", "abc");
    Write("out", TBytes(5000, 'z'));
    PackerPackFile(Zl.Get(), Path("in"), Path("out"));
    PackerUnPackFile(Zl.Get(), Path("out"), Path("back"));
    EXPECT_EQ(Read("back"), "abc");
}
