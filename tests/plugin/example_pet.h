// The worked example record and the texts both bridges send for it; their field names
// follow the list in VisitPetFields (plugin/bridges/pet_fields.h).
#pragma once

#include <cstring>

#include <lumarin/lumarin.h>

constexpr std::uint64_t kExamplePetId = 433791706897ULL;  // type code 101, account 10001

inline PetInfo ExamplePet()
{
    PetInfo pet{};
    pet.petid = kExamplePetId;
    std::strcpy(pet.petname, "Pip");
    std::strcpy(pet.kivname, "Ann");
    pet.petLevel = 12;
    pet.vipFlag = 1;
    pet.avatarVersion = 3;
    pet.avatarnum = 2;
    pet.avatarItems[0] = {5, 0, 1001};
    pet.avatarItems[1] = {-1, 0, 7};
    pet.titleid = 0;
    return pet;
}

constexpr char kExampleFlashRequest[] =
    "<invoke name='Lumarin_GetPetInfoCallBackSuc'  returntype='xml'><arguments><object>"
    "<property id='avatarVersion'><number>3</number></property>"
    "<property id='avatardata'><string><![CDATA[5.1001#-1.7#]]></string></property>"
    "<property id='avatarnum'><number>2</number></property>"
    "<property id='kivname'><string><![CDATA[Ann]]></string></property>"
    "<property id='kivnumber'><number>10001</number></property>"
    "<property id='petLevel'><number>12</number></property>"
    "<property id='petclass'><number>2</number></property>"
    "<property id='petgender'><number>1</number></property>"
    "<property id='petid'><string>433791706897</string></property>"
    "<property id='petname'><string><![CDATA[Pip]]></string></property>"
    "<property id='titlecolor'><string><![CDATA[]]></string></property>"
    "<property id='titleid'><number>0</number></property>"
    "<property id='titlename'><string><![CDATA[]]></string></property>"
    "<property id='vipFlag'><number>1</number></property>"
    "</object></arguments></invoke>";

constexpr char kExamplePageText[] =
    "{petid:'433791706897'\t\t\t   ,kivnumber:'10001'\t\t\t   ,petclass:'2'\t\t\t   "
    ",petgender:'1'\t\t\t   ,petname:'Pip'\t\t\t   ,kivname:'Ann'\t\t\t   ,petLevel:'12'"
    "\t\t\t   ,vipFlag:'1'\t\t\t   ,avatarVersion:'3'\t\t\t   ,avatarnum:'2'\t\t\t   "
    ",avatardata:'5.1001#-1.7#'\t\t\t   ,titleid:'0'\t\t\t   ,titlename:''\t\t\t   "
    ",titlecolor:''}";

constexpr char kFlashFailure[] =
    "<invoke name='Lumarin_GetPetInfoCallBackFail'  returntype='xml'><arguments></arguments>"
    "</invoke>";
