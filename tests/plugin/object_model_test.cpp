// The object model: plug-in bases, component lookup, cached host interfaces, listener list.
#include <gtest/gtest.h>

#include "plugin/framework/event_producer.h"
#include "plugin/framework/host_lookup.h"
#include "plugin/framework/plugin_impl.h"
#include "sim/host/host_component.h"
#include "tests/plugin/recording_listener.h"

using simhost::ComponentContainer;
using simhost::HostComponent;

namespace {

class TestPlugin : public TPlugin<0x1234, TestPlugin, IPlugin> {
public:
    BOOL32 PreInitialize() override { return 1; }
    BOOL32 Initialize(IPlugin* parent, const char* name) override
    {
        SetPlugin(parent);
        pluginName_ = name;
        return 1;
    }
};

// A lookup helper that is no plug-in, as the script bridges are.
class Helper : public TInterfaceHelper {};

// A container that knows every id, to show a null id is never looked up.
class AnyContainer : public IComponentContainer {
public:
    explicit AnyContainer(IPlugin* component) : component_(component) {}
    BOOL32 FindComponent(IPlugin** component, const char*) override
    {
        *component = component_;
        return 1;
    }

private:
    IPlugin* component_;
};

// A component that counts how often it is asked for an interface.
class CountingComponent : public HostComponent {
public:
    CountingComponent() : HostComponent("counting") {}
    BOOL32 GetInterface(const char* name, void** out) override
    {
        ++asked;
        return HostComponent::GetInterface(name, out);
    }
    int asked = 0;
};

}  // namespace

TEST(PluginBase, ClassIdContainerAndDetach)
{
    IPlugin* plugin = new TestPlugin;
    EXPECT_EQ(0x1234u, plugin->GetClassId());
    IComponentContainer* container = reinterpret_cast<IComponentContainer*>(1);
    EXPECT_FALSE(plugin->GetComponentContainer(&container));
    EXPECT_EQ(nullptr, container);

    ComponentContainer components;
    EXPECT_TRUE(plugin->SetComponentContainer(&components));
    EXPECT_TRUE(plugin->GetComponentContainer(&container));
    EXPECT_EQ(&components, container);

    HostComponent parent("client");
    plugin->Initialize(&parent, "test");
    EXPECT_EQ(&parent, plugin->GetParent());
    EXPECT_STREQ(plugin->GetPluginName(), "test");
    void* out = nullptr;
    EXPECT_FALSE(plugin->GetInterface("anything", &out));

    static_cast<TestPlugin*>(plugin)->Detach();
    EXPECT_EQ(nullptr, plugin->GetParent());
    EXPECT_STREQ(plugin->GetPluginName(), "");
    EXPECT_FALSE(plugin->GetComponentContainer(&container));
    EXPECT_FALSE(plugin->SetComponentContainer(nullptr));
    plugin->Destroy();
}

class ComponentLookup : public ::testing::Test {
protected:
    // top "client" (container: "chat" = farChat) <- middle "room" (container: "chat" =
    // nearChat) <- bottom "pet" (no container)
    ComponentLookup()
    {
        top.SetComponentContainer(&topContainer);
        middle.SetComponentContainer(&middleContainer);
        topContainer.Add("chat", &farChat);
        topContainer.Add("mail", &mail);
        middleContainer.Add("chat", &nearChat);
    }

    HostComponent top{"client"};
    HostComponent middle{"room", &top};
    HostComponent bottom{"pet", &middle};
    HostComponent farChat{"chat"}, nearChat{"chat"}, mail{"mail"};
    ComponentContainer topContainer, middleContainer;
    Helper helper;
};

TEST_F(ComponentLookup, NearestContainerWinsAndTheWalkReachesTheTop)
{
    helper.SetPlugin(&bottom);
    EXPECT_EQ(&nearChat, helper.QueryComponent("chat", nullptr));
    EXPECT_EQ(&mail, helper.QueryComponent("mail", nullptr));
    EXPECT_EQ(&farChat, helper.QueryComponent("chat", &top));  // an explicit start
    EXPECT_EQ(&nearChat, helper.GetComponent("chat", nullptr));
    EXPECT_EQ(nullptr, helper.QueryComponent("unknown", nullptr));
}

TEST_F(ComponentLookup, OnlyTheTopmostPluginAnswersToItsName)
{
    helper.SetPlugin(&bottom);
    EXPECT_EQ(&top, helper.QueryComponent("client", nullptr));
    EXPECT_EQ(nullptr, helper.QueryComponent("room", nullptr));
    EXPECT_EQ(nullptr, helper.QueryComponent("pet", nullptr));
    EXPECT_EQ(nullptr, helper.QueryComponent("Client", nullptr));  // case-sensitive
}

TEST_F(ComponentLookup, NullIdAndNoStart)
{
    AnyContainer any(&mail);
    top.SetComponentContainer(&any);
    helper.SetPlugin(&bottom);
    EXPECT_EQ(nullptr, helper.QueryComponent(nullptr, nullptr));
    EXPECT_EQ(&mail, helper.QueryComponent("x", nullptr));

    Helper unattached;  // no plug-in and no start: nothing to find
    EXPECT_EQ(nullptr, unattached.QueryComponent("client", nullptr));

    TestPlugin lone;  // a plug-in without parent is its own candidate
    lone.Initialize(nullptr, "lone");
    EXPECT_EQ(static_cast<IPlugin*>(&lone), lone.QueryComponent("lone", nullptr));
    EXPECT_EQ(nullptr, lone.QueryComponent("other", nullptr));
}

TEST_F(ComponentLookup, HostInterfaceIsCachedOnSuccessOnly)
{
    CountingComponent phases;
    int phasesLogic = 0;  // stands for the interface
    phases.Offer("IPhasesLogic", &phasesLogic);
    helper.SetPlugin(&bottom);
    lumarin::CachedInterface<IPhasesLogic> slot;

    EXPECT_FALSE(lumarin::GetHostInterface(helper, "phaseslogic", "IPhasesLogic", slot));
    EXPECT_EQ(nullptr, slot.pointer);

    topContainer.Add("phaseslogic", &phases);
    EXPECT_FALSE(lumarin::GetHostInterface(helper, "phaseslogic", "IOther", slot));
    EXPECT_EQ(1, phases.asked);
    EXPECT_EQ(nullptr, slot.pointer);

    EXPECT_TRUE(lumarin::GetHostInterface(helper, "phaseslogic", "IPhasesLogic", slot));
    EXPECT_EQ(&phasesLogic, static_cast<void*>(slot.pointer));
    EXPECT_EQ(static_cast<IPlugin*>(&bottom), slot.filler);  // the plug-in looked up for
    EXPECT_EQ(2, phases.asked);

    topContainer.Remove("phaseslogic");
    EXPECT_TRUE(lumarin::GetHostInterface(helper, "phaseslogic", "IPhasesLogic", slot));
    EXPECT_EQ(2, phases.asked);  // never asked again
}

class ListenerList : public ::testing::Test {
protected:
    using Producer = IEventProducerImpl<ILumarinEvent, class Event2, class Event3, 1>;

    void Fire() { producer.FireEvent(1, static_cast<PetInfoList*>(nullptr)); }

    std::vector<Delivery> log;
    RecordingListener a{"A", log}, b{"B", log}, c{"C", log}, d{"D", log};
    Producer producer;
};

TEST_F(ListenerList, NewestFirstAndReAddingMovesToTheEnd)
{
    EXPECT_EQ(1, producer.AddEventListener(&a, 1));
    EXPECT_EQ(2, producer.AddEventListener(&b, 1));
    EXPECT_EQ(3, producer.AddEventListener(&c, 1));
    Fire();
    EXPECT_EQ((std::vector<std::string>{"C", "B", "A"}), CallOrder(log));

    log.clear();
    EXPECT_EQ(3, producer.AddEventListener(&a, 1));
    Fire();
    EXPECT_EQ((std::vector<std::string>{"A", "C", "B"}), CallOrder(log));

    log.clear();
    producer.AddEventListener(&a, 2);  // re-added under kind 2: no longer called
    producer.RemoveEventListener(&c);
    Fire();
    EXPECT_EQ((std::vector<std::string>{"B"}), CallOrder(log));
}

TEST_F(ListenerList, OnlyKindOneIsCalled)
{
    producer.AddEventListener(&a, 2);
    producer.AddEventListener(&b, 3);
    producer.AddEventListener(&c, 1);
    Fire();
    EXPECT_EQ((std::vector<std::string>{"C"}), CallOrder(log));
}

TEST_F(ListenerList, ChangesDuringAFire)
{
    producer.AddEventListener(&a, 1);
    producer.AddEventListener(&b, 1);
    producer.AddEventListener(&c, 1);
    // C removes B and adds D: B is skipped, D waits for the next fire.
    c.onCall = [&](PetInfoList*) {
        producer.RemoveEventListener(&b);
        producer.AddEventListener(&d, 1);
    };
    Fire();
    EXPECT_EQ((std::vector<std::string>{"C", "A"}), CallOrder(log));

    log.clear();
    c.onCall = nullptr;
    Fire();
    EXPECT_EQ((std::vector<std::string>{"D", "C", "A"}), CallOrder(log));
}

TEST_F(ListenerList, ReAddedUnderAnotherKindDuringAFireIsStillCalled)
{
    producer.AddEventListener(&a, 1);
    producer.AddEventListener(&b, 1);
    // B re-adds A as kind 3: A's kind-1 snapshot entry still finds A in the list.
    b.onCall = [&](PetInfoList*) { producer.AddEventListener(&a, 3); };
    Fire();
    EXPECT_EQ((std::vector<std::string>{"B", "A"}), CallOrder(log));
}
