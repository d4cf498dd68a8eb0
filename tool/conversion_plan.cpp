#include "tool/conversion_plan.h"

#include "foundation/text/string_builder.h"
#include "foundation/text/text_ops.h"
#include "tool/user_messages.h"
#include "winapi/win32.h"

constexpr std::array<UString<UTF8>, 6> KeyNameTable{
    "HubSealKey", "AgentRootKey", "GatewayKey", "CoreKey", "PortalRootKey", "ViewerRootKey",
};

namespace {

UString<UTF8> InputPrefix(bool decrypt) {
    return decrypt ? "Encrypted" : "Decrypted";
}

UString<UTF8> OutputPrefix(bool decrypt) {
    return InputPrefix(!decrypt);
}

} // namespace

bool PathTextLess::operator()(const FileLocation& x, const FileLocation& y) const {
    return AsciiCompareNoCase(x.Text(), y.Text()) < 0;
}

ConversionPlan PlanConversion(const FileLocation& dirIn, const FileLocation& dirOut, bool decrypt) {
    ConversionPlan plan;
    for (const UString<UTF8> keyName : KeyNameTable) {
        const FileLocation in(dirIn, FileName(Concatenate(InputPrefix(decrypt), keyName)));
        if (in.GetAttributes() == INVALID_FILE_ATTRIBUTES || !in.IsFile()) {
            LogDebug(CopiedUString<UTF8>("Key in input not found '") + in.FileName() + "' ...");
            continue;
        }
        FileLocation out(dirOut, FileName(Concatenate(OutputPrefix(decrypt), keyName)));
        if (out.GetAttributes() == INVALID_FILE_ATTRIBUTES) {
            plan.conversions.insert_or_assign(in, std::move(out));
            continue;
        }
        LogDebug(CopiedUString<UTF8>("Key in output already exists '") + out.FileNameText() +
                 "' ...");
        plan.existingOutputs.emplace_back(out.FileNameText());
    }
    if (!plan.existingOutputs.empty())
        plan.conversions.clear();
    return plan;
}

CopiedUString<UTF8> FinalMessage(const ConversionPlan& plan, bool inputDirectoryExists,
                                 bool decrypt) {
    if (!inputDirectoryExists)
        return CopiedUString<UTF8>("The input directory does not exist ... ");
    if (!plan.existingOutputs.empty()) {
        CopiedUString<UTF8> report(
            "Error: the following keys already exist in the output dir:\n\n");
        for (const CopiedUString<UTF8>& name : plan.existingOutputs)
            report.Append(name).Append("\n");
        return report;
    }
    if (!plan.conversions.empty())
        return CopiedUString<UTF8>("Elaboration successfully completed.");
    return Concatenate<UTF8>("No keys found to be elaborated ... \nExpected file prefix is ",
                             decrypt ? "'Encrypted'" : "'Decrypted'");
}
