// The loading protocol as the Run window uses it: a form that owns an interpreter component
// with default properties and three channel components stored active (stdout, stderr, stdin);
// loading activates the channels, then the form's create handler opens the interpreter and
// evaluates a start-up script file.

#include "ComponentTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

using namespace tslc;
using namespace tslc::test;

namespace {

class TRunFormStandIn : public TComponent {
public:
    explicit TRunFormStandIn(const std::string& startupScript)
        : StartupScript(startupScript) {
        CreateComponents();
        TComponentLoader loader(*this);
        SetStoredProperties();
        loader.Finish();
        FormCreate();
    }
    ~TRunFormStandIn() override { DestroyComponents(); }

    TTcl* Tcl1 = nullptr;
    TTclChannel* StdOut = nullptr;
    TTclChannel* StdErr = nullptr;
    TTclChannel* StdIn = nullptr;
    std::vector<std::string> Output;
    std::vector<std::string> Errors;
    std::string Keys;
    std::vector<std::string> Created;
    bool ChannelsActiveAtCreate = false;
    bool StartupResult = false;

private:
    void CreateComponents() {
        Tcl1 = new TTcl(this);
        StdOut = new TTclChannel(this);
        StdErr = new TTclChannel(this);
        StdIn = new TTclChannel(this);
    }

    void SetStoredProperties() {
        Tcl1->SetName("Tcl1");
        StdOut->SetName("StdOut");
        StdOut->SetActive(true);
        StdOut->SetBlocking(false);
        StdOut->SetBuffering(cbLine);
        StdOut->SetTranslationOut(ctCrLf);
        StdOut->SetChannelName("stdout");
        StdOut->SetChannelType(ctStdOut);
        StdOut->SetMode(cmWrite);
        StdErr->SetName("StdErr");
        StdErr->SetActive(true);
        StdErr->SetBuffering(cbFull);
        StdErr->SetTranslationOut(ctCrLf);
        StdErr->SetChannelName("stderr");
        StdErr->SetChannelType(ctStdErr);
        StdErr->SetMode(cmWrite);
        StdIn->SetName("StdIn");
        StdIn->SetActive(true);
        StdIn->SetBlocking(true);
        StdIn->SetBuffering(cbLine);
        StdIn->SetBufferSize(80);
        StdIn->SetChannelName("stdin");
        StdIn->SetChannelType(ctStdIn);
        StdIn->SetMode(cmRead);
        for (TTclChannel* channel : {StdOut, StdErr, StdIn})
            channel->OnCreate = [this](TComponent* sender) { Created.push_back(sender->Name()); };
        StdOut->OnOutput = [this](TTclChannel*, const char* buf, int n, int&, int&) {
            Output.emplace_back(buf, static_cast<std::size_t>(n));
        };
        StdErr->OnOutput = [this](TTclChannel*, const char* buf, int n, int&, int&) {
            Errors.emplace_back(buf, static_cast<std::size_t>(n));
        };
        StdIn->OnInput = [this](TTclChannel*, char* buf, int toRead, int&, int& result) {
            const std::size_t count = std::min(Keys.size(), static_cast<std::size_t>(toRead));
            std::memcpy(buf, Keys.data(), count);
            Keys.erase(0, count);
            result = static_cast<int>(count);
        };
    }

    void FormCreate() {
        ChannelsActiveAtCreate = StdOut->Active() && StdErr->Active() && StdIn->Active();
        Tcl1->SetActive(true);
        StartupResult = Tcl1->EvalFile(StartupScript);
    }

    std::string StartupScript;
};

std::string WriteScript(const std::string& name, const std::string& text) {
    const std::string path = testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

} // namespace

TEST(FormLoading, LoadingActivatesTheChannelsBeforeTheCreateHandlerOpensTheInterpreter) {
    const std::string script = WriteScript("tslc_startup.tcl", "proc greet {} {puts hello}\n");
    TRunFormStandIn form(script);
    EXPECT_TRUE(form.ChannelsActiveAtCreate);
    EXPECT_EQ(form.Created, (std::vector<std::string>{"StdOut", "StdErr", "StdIn"}));
    EXPECT_TRUE(form.Tcl1->Active());
    EXPECT_TRUE(form.StartupResult);
    EXPECT_EQ(form.StdIn->BufferSize(), 80);
    EXPECT_EQ(form.StdErr->Buffering(), cbFull);
    EXPECT_FALSE(form.StdOut->Blocking());
    EXPECT_TRUE(form.StdIn->Blocking());
    ASSERT_TRUE(form.Tcl1->Eval("greet"));
    EXPECT_EQ(form.Output, std::vector<std::string>{"hello\r\n"});
    std::remove(script.c_str());
}

TEST(FormLoading, MissingStartupScriptIsOnlyAFailedEvaluation) {
    TRunFormStandIn form(testing::TempDir() + "tslc_no_such_script.tcl");
    EXPECT_FALSE(form.StartupResult);
    EXPECT_TRUE(form.Tcl1->Active());
}

TEST(FormLoading, ARunShowsOutputErrorsAndServesStandardInput) {
    TRunFormStandIn form(testing::TempDir() + "tslc_no_such_script.tcl");
    form.Keys = "typed text\n";
    const std::string editorText = "puts hello\r\n"
                                   "puts stderr oops\r\n"
                                   "flush stderr\r\n"
                                   "gets stdin line\r\n"
                                   "puts \"got $line\"\r\n";
    EXPECT_TRUE(form.Tcl1->Eval(editorText));
    EXPECT_EQ(form.Output, (std::vector<std::string>{"hello\r\n", "got typed text\r\n"}));
    EXPECT_EQ(form.Errors, std::vector<std::string>{"oops\r\n"});

    EXPECT_FALSE(form.Tcl1->Eval("error {script failed}"));
    EXPECT_EQ(form.Tcl1->ResultText(), "script failed");
}

TEST(FormLoading, ProceduresAndGlobalsSurviveFromOneRunToTheNext) {
    TRunFormStandIn form(testing::TempDir() + "tslc_no_such_script.tcl");
    ASSERT_TRUE(form.Tcl1->Eval("set counter 1\r\nproc bump {} {global counter; incr counter}"));
    ASSERT_TRUE(form.Tcl1->Eval("bump"));
    EXPECT_EQ(form.Tcl1->ResultText(), "2");
}

TEST(FormLoading, DestroyingTheFormClosesTheInterpreterWithEventsAndFreesEverything) {
    int closeEvents = 0;
    {
        TRunFormStandIn form(testing::TempDir() + "tslc_no_such_script.tcl");
        form.Tcl1->OnAfterClose = [&](TTcl*) { ++closeEvents; };
        ASSERT_TRUE(form.Tcl1->Eval("puts bye"));
    }
    EXPECT_EQ(closeEvents, 1);
}

// The form holds the interpreter component before the channel that its Channels names, both
// stored active: the interpreter opens first, and the channel, opening after it, must still be
// registered in its interpreter.
TEST(FormLoading, ListedChannelLoadedAfterTheInterpreterIsRegisteredInIt) {
    TComponent form;
    auto* tcl = new TTcl(&form);
    auto* channel = new TTclChannel(&form);
    std::vector<std::string> written;
    {
        TComponentLoader loader(form);
        tcl->SetName("Tcl1");
        tcl->SetActive(true);
        tcl->ReadChannels({"LogChannel"});
        channel->SetName("LogChannel");
        channel->SetActive(true);
        channel->SetChannelName("log");
        channel->SetMode(cmWrite);
        channel->OnOutput = [&](TTclChannel*, const char* buf, int n, int&, int&) {
            written.emplace_back(buf, static_cast<std::size_t>(n));
        };
        loader.Finish();
    }
    ASSERT_TRUE(tcl->Active());
    ASSERT_TRUE(channel->Active());
    EXPECT_TRUE(tcl->Eval("puts log entry; flush log")) << tcl->ResultText();
    EXPECT_EQ(written, std::vector<std::string>{"entry\n"});
}

// As the Run window does it: a script closes a standard channel, whose component is opened again
// before the next run; that run's output appears as usual.
TEST(FormLoading, StandardChannelClosedByAScriptServesTheNextRunOnceOpenedAgain) {
    TRunFormStandIn form(testing::TempDir() + "tslc_no_such_script.tcl");
    ASSERT_TRUE(form.Tcl1->Eval("puts first; close stdout; puts stderr oops; close stderr"));
    EXPECT_FALSE(form.StdOut->Active());
    EXPECT_FALSE(form.StdErr->Active());
    form.StdOut->SetActive(true);
    form.StdErr->SetActive(true);
    EXPECT_TRUE(form.Tcl1->Eval("puts second; puts stderr again; flush stderr"))
        << form.Tcl1->ResultText();
    EXPECT_EQ(form.Output, (std::vector<std::string>{"first\r\n", "second\r\n"}));
    EXPECT_EQ(form.Errors, (std::vector<std::string>{"oops\r\n", "again\r\n"}));
}
