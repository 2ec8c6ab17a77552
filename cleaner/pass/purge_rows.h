// The purge rows: for each resource id an outdated manifest may name, what a stale path of
// that id takes with it. Ids without a row are left alone.
//
// A new id goes in `kPurgeRows`, at the place in the order the purge should handle it. The
// test PassRules.PurgeRows (tests/cleaner/pass/pass_rules_test.cpp) pins every row: give the
// new one its line there.
#pragma once

namespace cleaner {

// What a purge row deletes for a stale path P.
enum class PurgeAction {
    File,            // delete P
    FileAndMainZip,  // delete P, then P cut at its last "." plus ".zip"
    ZipAndTree,      // delete P.zip, then remove the folder tree P
    ZipOnly,         // delete P.zip
};

struct PurgeRow {
    const char* resourceId;
    PurgeAction action;
};

// In the order the purge handles them.
inline constexpr PurgeRow kPurgeRows[] = {
    {"PetSocResXML", PurgeAction::File},
    {"CommunityMainFlash", PurgeAction::FileAndMainZip},
    {"NPCConfigure", PurgeAction::ZipAndTree},
    {"SceneConfigure", PurgeAction::ZipAndTree},
    {"MusicConfigure", PurgeAction::ZipAndTree},
    {"NavigationConfigure", PurgeAction::ZipAndTree},
    {"MapConfigure", PurgeAction::ZipAndTree},
    {"LoadPanel", PurgeAction::ZipOnly},
    {"ServerInfo", PurgeAction::ZipOnly},
    {"WeatherSystem", PurgeAction::ZipOnly},
    {"NpcRes", PurgeAction::ZipOnly},
    {"TitleCfg", PurgeAction::ZipAndTree},
    {"PetStatus", PurgeAction::ZipAndTree},
    {"StaticRes", PurgeAction::ZipOnly},
};

}  // namespace cleaner
