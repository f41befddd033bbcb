// The assembled installer: the marker texts as the stamping tool and the
// installer expect them, and the payload as a resource section.
#include "ToolHarness.h"

#include "support/TestPrefix.h"

#include <elf.h>

#include <gtest/gtest.h>

namespace {

const std::string kInstaller = BuiltProgram("velmora-setup");

// Each marker once in the whole file, inside .rodata, one after the other on
// 4-byte boundaries: application, identifier, channel.
TEST(InstallerImage, HoldsEachMarkerOnceInReadOnlyData) {
    const struct {
        std::string text;
        uint64_t offsetFromFirst;
    } markers[] = {
        {"ApplicationBeigin:{88073EE4-DAA9-4810-A6E8-7AB80F768ADA}:ApplicationEnd", 0},
        {"identifierBegin:{B6296EE0-72D9-4369-9ADC-CEC4161BE6FD}:identifierEnd", 72},
        {"qstart:xvrnkolpaz##:qend", 144},
    };
    const std::string image = ReadFileBytes(kInstaller);
    const wincompat::ElfSection rodata = SectionOf(kInstaller, ".rodata");
    ASSERT_GT(rodata.size, 0u);
    const uint64_t first = image.find(markers[0].text + '\0');
    for (const auto& marker : markers) {
        SCOPED_TRACE(marker.text);
        const std::string text = marker.text + '\0';
        const uint64_t at = image.find(text);
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(image.find(marker.text, at + 1), std::string::npos) << "appears twice";
        EXPECT_GE(at, rodata.offset);
        EXPECT_LE(at + text.size(), rodata.offset + rodata.size);
        EXPECT_EQ((rodata.address + (at - rodata.offset)) % 4, 0u);
        EXPECT_EQ(at - first, marker.offsetFromFirst);
    }
}

TEST(InstallerImage, CarriesThePayloadAsAResourceSection) {
    const wincompat::ElfSection section = SectionOf(kInstaller, ".rsrc/ZIPRES/IDR_STEP7ZRES");
    ASSERT_GT(section.size, 0u);
    EXPECT_EQ(section.flags & SHF_ALLOC, 0u) << "a loaded section could not change size later";
    EXPECT_EQ(SectionBytes(kInstaller, section.name), ReadFileBytes(PAYLOAD_FILE));
}

TEST(InstallerImage, SamplePayloadHoldsTheProductTree) {
    if (!SAMPLE_PAYLOAD) GTEST_SKIP() << "the payload archive was supplied by the maker";
    const std::string archive = MakeTestFolder("payload") + "/payload.7z";
    WriteFileBytes(archive, SectionBytes(kInstaller, ".rsrc/ZIPRES/IDR_STEP7ZRES"));
    const std::string listing = RunProcess({SEVEN_ZIP_PROGRAM, "l", "-slt", archive}).output;
    for (const char* name : {"Pellamor.exe", "Quistral.exe", "Dravenko.exe", "Myrtelo.exe", "Sorvanda.exe",
                             "Tellurin.dll", "Tellurin64.dll", "Languages/en-US.ini", "Help/QuickStart.txt"})
        EXPECT_NE(listing.find(std::string("Path = ") + name + "\n"), std::string::npos) << name;
}

}  // namespace
