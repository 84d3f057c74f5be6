#include "CmdLineParser/UCmdLineParser.h"

#include "CmdLineParser/UHtmlHelp.h"
#include "platform/CmdLine.h"


namespace {

const char* const SOptionListEmpty = "Option list is empty";
const char* const SUnknownOption = "Unknown option --%s";
const char* const SArgumentNotRequired = "Argument not required for option --%s";
const char* const SArgumentRequired = "Option --%s requires an argument";
const char* const SRunningHtmlHelp = "Running HtmlHelp Manual";

bool IsOption(const std::string& Arg)
{
    return Arg.size() > 2 && Arg[0] == '-' && Arg[1] == '-';
}

}  // namespace

void TOptionList::AddOption(const std::string& Name, TOptionArgKind ArgKind, bool* Flag)
{
    Add(TOption{Name, ArgKind, std::string(), Flag});
}

void TOptionList::Add(TOption Option)
{
    FItems.push_back(std::make_unique<TOption>(std::move(Option)));
}

int TOptionList::IndexOfName(std::string_view Name) const
{
    for (size_t I = 0; I < FItems.size(); ++I)
        if (SameText(FItems[I]->Name, Name)) return static_cast<int>(I);
    return -1;
}

std::string TOptionList::GetValue(std::string_view Name) const
{
    const int I = IndexOfName(Name);
    return I < 0 ? std::string() : FItems[static_cast<size_t>(I)]->Value;
}

const TOption& TOptionList::operator[](int Index) const
{
    Assert(Index >= 0 && Index < Count());
    return *FItems[static_cast<size_t>(Index)];
}

void TOptionList::Delete(int Index)
{
    Assert(Index >= 0 && Index < Count());
    FItems.erase(FItems.begin() + Index);
}

TCmdLineParser::TCmdLineParser() : TCmdLineParser(ProcessParams()) {}

TCmdLineParser::TCmdLineParser(const std::vector<std::string>& ArgList) : Args(ArgList)
{
    DeclareBuiltInOptions();
}

TCmdLineParser::~TCmdLineParser() = default;

void TCmdLineParser::DeclareBuiltInOptions()
{
    Options.AddOption("man", akNone, &ManRequested);
    Options.AddOption("help", akNone, &HelpRequested);
    Options.AddOption("ver", akNone, &VersionRequested);
    Options.AddOption("version", akNone, &VersionRequested);
}

void TCmdLineParser::Prepare()
{
    HelpRequested = false;
    ManRequested = false;
    VersionRequested = false;
    if (Options.Empty()) throw ECmdLinePrepareError(SOptionListEmpty);
    if (Args.empty()) return;
    ParsedOptions.Clear();
    FileNames.clear();

    for (size_t I = 0; I < Args.size(); ++I) {
        const std::string& A = Args[I];
        if (!IsOption(A)) {
            FileNames.push_back(A);
            continue;
        }
        std::string Name, Value;
        const size_t Eq = A.find('=');
        if (Eq == std::string::npos) {
            Name = A;
        } else {
            Name = A.substr(0, Eq);
            Value = A.substr(Eq + 1);
        }
        Name.erase(0, 2);

        const int Index = Options.IndexOfName(Name);
        if (Index < 0) throw ECmdLinePrepareError(Format(SUnknownOption, {Name}));
        const TOption& Declared = Options[Index];
        // The flag is set before the argument checks, so a failed check still leaves it set.
        if (Declared.Flag) *Declared.Flag = true;

        if (Declared.ArgKind != akNone && Value.empty() && I + 1 < Args.size() && !IsOption(Args[I + 1]))
            Value = Args[++I];
        if (Declared.ArgKind == akNone && !Value.empty())
            throw ECmdLinePrepareError(Format(SArgumentNotRequired, {Name}));
        if (Declared.ArgKind == akRequired && Value.empty())
            throw ECmdLinePrepareError(Format(SArgumentRequired, {Name}));
        ParsedOptions.Add(TOption{Name, akNone, Value, nullptr});
    }

    if (HelpRequested && !UsageText.empty()) throw EShowHelpException(UsageText);
    if (ManRequested && !ManualFile.empty()) {
        RunHtmlHelp(ManualFile);
        throw EShowHelpException(SRunningHtmlHelp);
    }
    if (VersionRequested && !VersionText.empty()) throw EShowVersionException(VersionText);
}
