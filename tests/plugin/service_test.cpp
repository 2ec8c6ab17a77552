// The pet info service inside CLumarinPlugin, driven by the substitute host's components.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "plugin/framework/host_components.h"
#include "plugin/service/lumarin_plugin.h"
#include "sim/host/substitute_host.h"
#include "tests/plugin/pet_records.h"
#include "tests/plugin/recording_listener.h"

using simhost::SubstituteHost;

namespace {
constexpr std::uint64_t kPip = 433791706897ULL;
constexpr std::uint64_t kRex = 0x8000000000000005ULL;  // high bit set: unsigned keys
}  // namespace

class Service : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_.pets[kPip] = PatternedPet(kPip, 1);
        host_.pets[kRex] = PatternedPet(kRex, 50);
        host_.pets[0] = PatternedPet(0, 90);
        plugin_ = new CLumarinPlugin;
        host_.AttachPlugin(plugin_);
        ASSERT_EQ(1, host_.StartPlugin());
        protocol_ = host_.objectLoader.Current();
        ASSERT_NE(protocol_, nullptr);
    }

    // Asks for the pets and lets the protocol object answer.
    void Fetch(std::vector<std::uint64_t> ids)
    {
        PetIdList list{};
        list.count = static_cast<std::uint16_t>(ids.size());
        std::copy(ids.begin(), ids.end(), list.ids);
        plugin_->RequestPetInfoList(&list);
        host_.DeliverPending();
    }

    bool Cached(std::uint64_t id)
    {
        PetInfo out{};
        return plugin_->GetCachedPetInfo(id, &out) == 1;
    }

    SubstituteHost host_;
    CLumarinPlugin* plugin_ = nullptr;
    simhost::PetProtocol* protocol_ = nullptr;
    std::vector<Delivery> log_;
    RecordingListener a_{"A", log_}, b_{"B", log_}, c_{"C", log_}, d_{"D", log_};
};

TEST_F(Service, CachedRecordsAreCopiedByteForByte)
{
    PetInfo out = PatternedPet(7, 200);
    const PetInfo untouched = out;
    EXPECT_EQ(0, plugin_->GetCachedPetInfo(kPip, &out));
    EXPECT_EQ(0, std::memcmp(&out, &untouched, sizeof out));

    Fetch({kPip, kRex, 0});
    for (std::uint64_t id : {kPip, kRex, std::uint64_t{0}}) {
        ASSERT_EQ(1, plugin_->GetCachedPetInfo(id, &out)) << id;
        EXPECT_EQ(0, std::memcmp(&out, &host_.pets[id], sizeof out)) << id;
    }
    EXPECT_EQ(0, plugin_->GetCachedPetInfo(kPip, nullptr));
    EXPECT_FALSE(Cached(kRex & 0xFFFFFFFF));  // the low half alone is another key
}

TEST_F(Service, CachedListFillsWhatItHas)
{
    Fetch({kPip});
    EXPECT_EQ(0, plugin_->GetCachedPetInfoList(0, nullptr));

    ResultBlock empty({PatternedPet(kPip, 9)});
    empty.List()->count = 0;
    EXPECT_EQ(1, plugin_->GetCachedPetInfoList(0, empty.List()));
    EXPECT_EQ(PatternedPet(kPip, 9).petname[0], empty.Record(0).petname[0]);  // untouched

    ResultBlock wanted({PatternedPet(5, 9), PatternedPet(kPip, 9)});
    const PetInfo absent = wanted.Record(0);
    EXPECT_EQ(0, plugin_->GetCachedPetInfoList(123, wanted.List()));
    EXPECT_EQ(0, std::memcmp(&wanted.Record(0), &absent, sizeof absent));
    EXPECT_EQ(0, std::memcmp(&wanted.Record(1), &host_.pets[kPip], sizeof(PetInfo)));

    ResultBlock allThere({PatternedPet(kPip, 9)});
    EXPECT_EQ(1, plugin_->GetCachedPetInfoList(0, allThere.List()));
}

TEST_F(Service, LaterRecordOfAnIdReplacesTheEarlierWhole)
{
    PetInfo first = PatternedPet(kPip, 1);
    PetInfo second = PatternedPet(kPip, 2);
    std::memset(second.petname, 0, sizeof second.petname);  // an empty field overwrites too
    ResultBlock block({first, second});
    plugin_->OnResult(protocol_, block.List());
    PetInfo out;
    ASSERT_EQ(1, plugin_->GetCachedPetInfo(kPip, &out));
    EXPECT_EQ(0, std::memcmp(&out, &second, sizeof out));
}

// Thousands of pets, with ids alike in one half or the other, arrive in blocks while the
// table grows; every one stays findable with its latest record, and absent ids miss.
TEST_F(Service, ManyPetsStayFindableAsTheCacheGrows)
{
    std::vector<std::uint64_t> ids{0};
    for (std::uint64_t i = 1; i <= 1500; ++i) {
        ids.push_back(i << 32 | 7);
        ids.push_back(std::uint64_t{7} << 32 | i);
    }
    std::map<std::uint64_t, PetInfo> latest;
    for (int round = 0; round < 2; ++round) {
        for (std::size_t first = round; first < ids.size(); first += 100) {
            std::vector<PetInfo> records;
            for (std::size_t i = first; i < std::min(first + 100, ids.size()); i += 1 + round)
                records.push_back(latest[ids[i]] = PatternedPet(ids[i], (i + round) % 251));
            ResultBlock block(records);
            plugin_->OnResult(protocol_, block.List());
        }
    }
    PetInfo out;
    for (const auto& [id, record] : latest) {
        ASSERT_EQ(1, plugin_->GetCachedPetInfo(id, &out)) << id;
        ASSERT_EQ(0, std::memcmp(&out, &record, sizeof out)) << id;
    }
    for (std::uint64_t absent : {std::uint64_t{7}, std::uint64_t{1501} << 32 | 7, kPip})
        EXPECT_FALSE(Cached(absent)) << absent;
}

TEST_F(Service, InitializeEmptiesTheCache)
{
    Fetch({kPip});
    ASSERT_TRUE(Cached(kPip));
    EXPECT_EQ(0, plugin_->Initialize(nullptr, nullptr));  // no name: nothing changes
    EXPECT_TRUE(Cached(kPip));
    plugin_->Uninitialize();
    EXPECT_EQ(1, plugin_->Initialize(nullptr, "lumarin"));
    EXPECT_FALSE(Cached(kPip));
}

TEST_F(Service, SecondInitializeChangesNothing)
{
    Fetch({kPip});
    EXPECT_EQ(0, plugin_->Initialize(nullptr, "other"));
    EXPECT_TRUE(Cached(kPip));
    EXPECT_STREQ("lumarin", plugin_->GetPluginName());
    EXPECT_EQ(protocol_, host_.objectLoader.Current());  // no second protocol object
    EXPECT_EQ(1u, host_.mainLogicLoader.registered.size());
    EXPECT_EQ(2u, host_.flashEngine.handlers.size());
    plugin_->RequestPetInfo(kRex);  // still goes to the first one
    EXPECT_EQ(2u, protocol_->requests.size());
}

TEST_F(Service, RequestBlocksAsTheProtocolObjectReceivesThem)
{
    Fetch({kPip});
    plugin_->RequestPetInfo(kPip);  // sent although cached
    plugin_->RequestPetInfo(0);
    PetIdList list{};
    plugin_->RequestPetInfoList(&list);  // count 0
    list.count = 101;                    // beyond the block's 100 ids
    plugin_->RequestPetInfoList(&list);
    plugin_->RequestPetInfoList(nullptr);
    list.count = 100;
    plugin_->RequestPetInfoList(&list);
    ASSERT_EQ(3u, protocol_->requests.size());
    EXPECT_EQ(std::vector<std::uint64_t>{kPip}, protocol_->requests[1]);
    EXPECT_EQ(100u, protocol_->requests[2].size());

    plugin_->Uninitialize();  // no protocol object any more: nothing is sent
    plugin_->RequestPetInfo(kPip);
    list.count = 1;
    plugin_->RequestPetInfoList(&list);
    EXPECT_EQ(3u, protocol_->requests.size());
}

TEST_F(Service, ResultsOnlyFromTheCurrentProtocolObject)
{
    plugin_->AddListener(&a_);
    ResultBlock block({PatternedPet(kPip)});
    int other = 0;
    plugin_->OnResult(&other, block.List());
    plugin_->OnResult(nullptr, block.List());
    plugin_->OnResult(protocol_, nullptr);
    EXPECT_TRUE(log_.empty());
    EXPECT_FALSE(Cached(kPip));

    block.List()->count = 0;  // an empty result still reaches every listener
    plugin_->AddListener(&b_);
    plugin_->OnResult(protocol_, block.List());
    ASSERT_EQ((std::vector<std::string>{"B", "A"}), CallOrder(log_));
    EXPECT_EQ(1, log_[0].success);
    EXPECT_EQ(block.List(), log_[0].list);
}

TEST_F(Service, FailuresReachEveryListener)
{
    plugin_->AddListener(&a_);
    plugin_->AddListener(&b_);
    int other = 0;
    plugin_->OnError(nullptr, 5);
    plugin_->OnError(protocol_, 0);
    EXPECT_TRUE(log_.empty());

    Fetch({kPip});
    log_.clear();
    plugin_->OnError(&other, 5);  // the sender is not checked for failures
    ASSERT_EQ((std::vector<std::string>{"B", "A"}), CallOrder(log_));
    EXPECT_EQ(0, log_[0].success);
    EXPECT_EQ(nullptr, log_[0].list);
    EXPECT_TRUE(Cached(kPip));  // a failure leaves the cache alone

    log_.clear();
    Fetch({999});  // unknown to the protocol layer
    EXPECT_EQ((std::vector<std::string>{"B", "A"}), CallOrder(log_));
}

TEST_F(Service, ListenersNewestFirst)
{
    plugin_->AddListener(&a_);
    plugin_->AddListener(&b_);
    plugin_->AddListener(&c_);
    plugin_->AddListener(nullptr);  // ignored
    Fetch({kPip});
    EXPECT_EQ((std::vector<std::string>{"C", "B", "A"}), CallOrder(log_));

    log_.clear();
    plugin_->AddListener(&a_);
    plugin_->AddListener(&a_);
    Fetch({kPip});
    EXPECT_EQ((std::vector<std::string>{"A", "C", "B"}), CallOrder(log_));

    log_.clear();
    plugin_->RemoveListener(&a_);
    plugin_->RemoveListener(nullptr);
    Fetch({kPip});
    EXPECT_EQ((std::vector<std::string>{"C", "B"}), CallOrder(log_));
}

TEST_F(Service, CallbacksMayCallBackIntoTheService)
{
    plugin_->AddListener(&a_);
    plugin_->AddListener(&b_);
    plugin_->AddListener(&c_);
    ILumarin* service = plugin_;
    // C removes A, adds D and asks again; B reads the cache while the event is delivered.
    c_.onCall = [&](PetInfoList* list) {
        if (!list || list->count == 0 || list->records[0].petid != kPip)
            return;
        service->RemoveListener(&a_);
        service->AddListener(&d_);
        service->RequestPetInfo(kRex);
    };
    bool cachedDuringDelivery = false;
    b_.onCall = [&](PetInfoList*) { cachedDuringDelivery = Cached(kPip); };

    Fetch({kPip});  // the second request is answered in the same delivery
    EXPECT_EQ((std::vector<std::string>{"C", "B", "D", "C", "B"}), CallOrder(log_));
    EXPECT_TRUE(cachedDuringDelivery);
    EXPECT_TRUE(Cached(kRex));
}

TEST_F(Service, LateResultAfterUninitializeChangesNothing)
{
    plugin_->AddListener(&a_);
    plugin_->RequestPetInfo(kPip);
    plugin_->Uninitialize();
    ResultBlock block({PatternedPet(kPip)});
    plugin_->OnResult(protocol_, block.List());
    host_.DeliverPending();
    EXPECT_TRUE(log_.empty());
    EXPECT_FALSE(Cached(kPip));
    ASSERT_EQ(1u, host_.objectLoader.releases.size());
    EXPECT_EQ(static_cast<IObject*>(protocol_), host_.objectLoader.releases[0].first);
    EXPECT_EQ(1, host_.objectLoader.releases[0].second);
}
