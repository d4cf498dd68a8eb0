#include "tool/conversion_plan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/files/temporary_files_for_test.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
using FileNames = std::vector<std::string>;

class ConversionPlanTest : public TestDirectory {
protected:
    void SetUp() override {
        TestDirectory::SetUp();
        std::filesystem::create_directory(Native("in"));
        std::filesystem::create_directory(Native("out"));
    }

    ConversionPlan Plan(bool decrypt) const { return PlanConversion(At("in"), At("out"), decrypt); }

    // Input and output file names, in conversion order.
    static Pairs Conversions(const ConversionPlan& plan) {
        Pairs pairs;
        for (const auto& [in, out] : plan.conversions)
            pairs.emplace_back(Leaf(in), Leaf(out));
        return pairs;
    }

    static FileNames Existing(const ConversionPlan& plan) {
        FileNames names;
        for (const CopiedUString<UTF8>& name : plan.existingOutputs)
            names.emplace_back(name.begin(), name.end());
        return names;
    }

private:
    static std::string Leaf(const FileLocation& location) {
        const CopiedUString<UTF8> name = location.FileNameText();
        return std::string(name.begin(), name.end());
    }
};

TEST_F(ConversionPlanTest, FindsInputsAndRefusesToOverwrite) {
    const FileNames allSealed = {"EncryptedHubSealKey",    "EncryptedAgentRootKey",
                                 "EncryptedGatewayKey",    "EncryptedCoreKey",
                                 "EncryptedPortalRootKey", "EncryptedViewerRootKey"};
    const struct {
        const char* label;
        bool decrypt;
        FileNames inputs;
        FileNames outputFiles;
        FileNames outputDirectories;
        FileNames inputDirectories;
        Pairs conversions;
        FileNames existing;
    } cases[] = {
        {"all six, in the case-insensitive order of their names",
         true,
         allSealed,
         {},
         {},
         {},
         {{"EncryptedAgentRootKey", "DecryptedAgentRootKey"},
          {"EncryptedCoreKey", "DecryptedCoreKey"},
          {"EncryptedGatewayKey", "DecryptedGatewayKey"},
          {"EncryptedHubSealKey", "DecryptedHubSealKey"},
          {"EncryptedPortalRootKey", "DecryptedPortalRootKey"},
          {"EncryptedViewerRootKey", "DecryptedViewerRootKey"}},
         {}},
        {"one output in the way stops every conversion",
         true,
         allSealed,
         {"DecryptedCoreKey"},
         {},
         {},
         {},
         {"DecryptedCoreKey"}},
        {"outputs in the way, a directory too, in table order",
         false,
         {"DecryptedViewerRootKey", "DecryptedHubSealKey", "DecryptedCoreKey"},
         {"EncryptedViewerRootKey"},
         {"EncryptedHubSealKey"},
         {},
         {},
         {"EncryptedHubSealKey", "EncryptedViewerRootKey"}},
        {"an output without its input is no conflict",
         false,
         {"DecryptedGatewayKey"},
         {"EncryptedCoreKey"},
         {},
         {},
         {{"DecryptedGatewayKey", "EncryptedGatewayKey"}},
         {}},
        {"a directory named like an input is no key",
         false,
         {"DecryptedCoreKey"},
         {},
         {},
         {"DecryptedPortalRootKey"},
         {{"DecryptedCoreKey", "EncryptedCoreKey"}},
         {}},
        {"inputs of the other direction are not looked at", false, allSealed, {}, {}, {}, {}, {}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.label);
        for (const std::string& name : entry.inputs)
            MakeFile("in/" + name, "key");
        for (const std::string& name : entry.outputFiles)
            MakeFile("out/" + name, "present");
        for (const std::string& name : entry.outputDirectories)
            std::filesystem::create_directory(Native("out/" + name));
        for (const std::string& name : entry.inputDirectories)
            std::filesystem::create_directory(Native("in/" + name));

        const ConversionPlan plan = Plan(entry.decrypt);
        EXPECT_EQ(Conversions(plan), entry.conversions);
        EXPECT_EQ(Existing(plan), entry.existing);

        for (const char* directory : {"in", "out"}) {
            std::filesystem::remove_all(Native(directory));
            std::filesystem::create_directory(Native(directory));
        }
    }
}

TEST_F(ConversionPlanTest, FinalMessages) {
    MakeFile("in/DecryptedCoreKey", "key");
    const ConversionPlan converting = Plan(false);
    MakeFile("out/EncryptedCoreKey", "present");
    MakeFile("in/DecryptedAgentRootKey", "key");
    MakeFile("out/EncryptedAgentRootKey", "present");
    const ConversionPlan conflicting = Plan(false);
    const ConversionPlan empty;
    const struct {
        const char* label;
        const ConversionPlan& plan;
        bool inputDirectoryExists;
        bool decrypt;
        const char* message;
    } cases[] = {
        {"converted", converting, true, false, "Elaboration successfully completed."},
        {"in the way", conflicting, true, false,
         "Error: the following keys already exist in the output dir:\n\n"
         "EncryptedAgentRootKey\nEncryptedCoreKey\n"},
        {"no input directory", conflicting, false, false,
         "The input directory does not exist ... "},
        {"nothing to decrypt", empty, true, true,
         "No keys found to be elaborated ... \nExpected file prefix is 'Encrypted'"},
        {"nothing to encrypt", empty, true, false,
         "No keys found to be elaborated ... \nExpected file prefix is 'Decrypted'"},
    };
    for (const auto& entry : cases) {
        const CopiedUString<UTF8> message =
            FinalMessage(entry.plan, entry.inputDirectoryExists, entry.decrypt);
        EXPECT_EQ(std::string(message.begin(), message.end()), entry.message) << entry.label;
    }
}

} // namespace
