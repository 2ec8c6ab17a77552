// CLumarinPlugin's lifecycle in the substitute host: trace lines, failed starts, shutdown.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "plugin/framework/host_components.h"
#include "plugin/service/lumarin_plugin.h"
#include "sim/host/substitute_host.h"
#include "tests/plugin/fake_log_platform.h"
#include "tests/support/temp_folder.h"

using simhost::HostOptions;
using simhost::SubstituteHost;

class Lifecycle : public testsupport::TempFolderTest {
protected:
    void Start(HostOptions options = {}, bool answerNull = false)
    {
        host_ = std::make_unique<SubstituteHost>(options);
        host_->objectLoader.answerNull = answerNull;
        plugin_ = new CLumarinPlugin;
        host_->AttachPlugin(plugin_);
    }

    std::unique_ptr<SubstituteHost> host_;
    CLumarinPlugin* plugin_ = nullptr;
};

TEST_F(Lifecycle, TraceLines)
{
    WriteText(Root() / "Config" / "Debug.ini", "[Lumarin]\nShowTraceInfo=1\n");
    FakeLogPlatform platform(Root());
    Start();  // the switches are read when the plug-in is built
    EXPECT_EQ(1, host_->StartPlugin());
    EXPECT_EQ(0, plugin_->Initialize(nullptr, nullptr));
    EXPECT_EQ((std::vector<std::string>{
                  "2010/05/01 09:30:00 TRACE:CLumarinPlugin:: PreInitialize() result=1\r\n",
                  "2010/05/01 09:30:00 TRACE:CLumarinPlugin:: Initialize() pluginname=lumarin "
                  "result=1\r\n",
                  "2010/05/01 09:30:00 TRACE:CLumarinPlugin:: Initialize() pluginname=(null) "
                  "result=0\r\n"}),
              platform.debugLines);
    EXPECT_STREQ(plugin_->GetPluginName(), "lumarin");  // a null name changes nothing
    host_->StopPlugin();
}

TEST_F(Lifecycle, FailedStartKeepsRegistrationsAndShutdownUndoesThem)
{
    Start({}, true);  // LoadObject answers null
    EXPECT_EQ(0, host_->StartPlugin());
    EXPECT_EQ(2u, host_->flashEngine.handlers.size());
    EXPECT_EQ(2u, host_->browserEngine.handlers.size());
    EXPECT_TRUE(host_->mainLogicLoader.registered.empty());
    ASSERT_TRUE(plugin_->Session().IsOpen());
    EXPECT_NE(nullptr,
              std::get<lumarin::CachedInterface<IFlashAPICenter>>(plugin_->Session().Cache()).pointer);

    plugin_->Uninitialize();
    // Nothing it looked up outlives it: a later instance may run under another host.
    EXPECT_FALSE(plugin_->Session().IsOpen());
    EXPECT_TRUE(host_->flashEngine.handlers.empty());
    EXPECT_TRUE(host_->browserEngine.handlers.empty());
    EXPECT_EQ(std::vector<IPlugin*>{plugin_}, host_->mainLogicLoader.unregistered);
    EXPECT_TRUE(host_->objectLoader.releases.empty());  // nothing was loaded
    IComponentContainer* container = nullptr;
    EXPECT_FALSE(plugin_->GetComponentContainer(&container));
}
