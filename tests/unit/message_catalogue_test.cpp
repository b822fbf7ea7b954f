#include "common/failure_report.h"
#include "common/message_catalogue.h"
#include "simulated_windows.h"
#include "string_table.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(LoadMessage, FindsEveryCatalogueEntryInItsBlock) {
    sim::SimulatedWindows os;
    ASSERT_EQ(sim::Catalogue().size(), 46u);
    for (const auto& [id, text] : sim::Catalogue()) {
        std::u16string loaded;
        EXPECT_TRUE(LoadMessage(os, id, loaded)) << id;
        EXPECT_EQ(loaded, text) << id;
    }
}

TEST(LoadMessage, LeavesTheTextAsItWasForAnAbsentNumber) {
    sim::SimulatedWindows os;
    for (const MessageId id : {0, 100, 115, 132, 140, 141, 151, 160, 4000, 65535}) {
        std::u16string text = u"before";
        EXPECT_FALSE(LoadMessage(os, static_cast<MessageId>(id), text)) << id;
        EXPECT_EQ(text, u"before");
        EXPECT_EQ(LoadMessage(os, static_cast<MessageId>(id)), u"") << id;
    }
}

TEST(LoadMessage, ReplacesTheWholeText) {
    sim::SimulatedWindows os;
    std::u16string text;
    LoadMessage(os, 143, text);
    EXPECT_EQ(text, u"Опции");
    LoadMessage(os, 142, text);
    EXPECT_EQ(text, u"Скрыть");
}

TEST(LoadMessage, KeepsLineBreaks) {
    sim::SimulatedWindows os;
    EXPECT_EQ(LoadMessage(os, 108), u"Korvel ЭЦП Browser plug-in успешно установлен.\n"
                                    u"Для корректной работы Korvel ЭЦП Browser plug-in необходимо "
                                    u"перезагрузить компьютер.\nПроизвести перезагрузку сейчас?");
}

TEST(LoadMessage, NeverReadsPastADamagedBlock) {
    sim::SimulatedWindows os;
    // Block 1 holds ids 0 to 15: entry 0 is empty, entry 1 claims more units than follow.
    os.stringBlocks[1] = {0, 40, u'a', u'b'};
    std::u16string text = u"before";
    EXPECT_FALSE(LoadMessage(os, 1, text));
    EXPECT_FALSE(LoadMessage(os, 5, text));
    EXPECT_EQ(text, u"before");
}

TEST(FailureReport, AddsTheLogLineOnlyForAnExistingFile) {
    sim::SimulatedWindows os;
    const std::u16string message = LoadMessage(os, IDS_PROVIDER_FAILED);
    os.AddFile(u"C:\\Temp\\csp_2015-03-03-14-05-09.log");
    EXPECT_EQ(ComposeFailureReport(os, IDS_PROVIDER_FAILED, 1603,
                                   u"C:\\Temp\\csp_2015-03-03-14-05-09.log"),
              message + u": 1603.\nInstall log: C:\\Temp\\csp_2015-03-03-14-05-09.log");
    EXPECT_EQ(ComposeFailureReport(os, IDS_PROVIDER_FAILED, 0, u"C:\\Temp\\other.log"),
              message + u": 0.\n");
    EXPECT_EQ(ComposeFailureReport(os, IDS_PROVIDER_FAILED, 4294967295u, u""),
              message + u": 4294967295.\n");
}

} // namespace
} // namespace korvel
