#pragma once
// The program started on the built data folder, in-memory settings, English,
// as the window tests start it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "accessories/AccRoutines.h"
#include "app/AppContext.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "lang/MessageSink.h"
#include "model/CFanData.h"
#include "model/ProjectInfo.h"
#include "support/TestSupport.h"

namespace aerolyx::test {

class ProgramTest : public ::testing::Test {
protected:
    // Its assertions end only this call: wrap it in ASSERT_NO_FATAL_FAILURE.
    void StartProgram(bool withCatalogue = true)
    {
        App();
        StartupOptions opt;
        opt.dataDir = BuiltDataDir();
        opt.settings = std::make_unique<MemorySettingsStore>();
        opt.localeId = 1033;
        ASSERT_TRUE(ctx_.Main(std::move(opt)));
        if (!withCatalogue) return;
        ASSERT_NE(Prog().DB, nullptr) << ctx_.connectionMessage;
        if (!GetAccessoryPricing()) SetAccessoryPricing([](CFanData& r) { AccCalcPrice(r); });
    }
    // Messages go to messages_ instead of message boxes.
    void CollectMessages()
    {
        oldSink_ = SetMessageSink([this](const std::string& t, MessageKind) { messages_.push_back(t); });
    }
    void TearDown() override { SetMessageSink(oldSink_); }

    AppContext ctx_;
    MessageSink oldSink_;
    std::vector<std::string> messages_;
};

}  // namespace aerolyx::test
