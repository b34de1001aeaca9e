// The ECU's command codes as named constants and the protocol's name of each, the names the
// communication log writes before every request. Says nothing about payloads or answers:
// frames are built in ModComm, answers dispatched by ClsComm::ElaboraRisposta.
#pragma once

#include <cstdint>

namespace gw {

inline constexpr std::uint8_t CMD_GET_ADR_VAR = 1;
inline constexpr std::uint8_t CMD_WRT_MEM_ZONE = 2;
inline constexpr std::uint8_t CMD_READ_MEM_ZONE = 3;
inline constexpr std::uint8_t CMD_SET_ECU_SLAVE = 4;
inline constexpr std::uint8_t CMD_SET_ECU_RUN = 5;
inline constexpr std::uint8_t CMD_SET_ECU_PRG = 6;
inline constexpr std::uint8_t CMD_ERASE_FLASH = 7;
inline constexpr std::uint8_t CMD_WRT_FLASH_ZONE = 8;
inline constexpr std::uint8_t CMD_GET_ECO = 9;
inline constexpr std::uint8_t CMD_WRT_FLASH_END = 10;
inline constexpr std::uint8_t CMD_EOBD = 11;
inline constexpr std::uint8_t CMD_READ_MEM1 = 12;
inline constexpr std::uint8_t CMD_READ_MEM2 = 13;
inline constexpr std::uint8_t CMD_READ_MEM3 = 14;
inline constexpr std::uint8_t CMD_WRT_MEM1 = 15;
inline constexpr std::uint8_t CMD_WRT_MEM2 = 16;
inline constexpr std::uint8_t CMD_WRT_MEM3 = 17;
inline constexpr std::uint8_t CMD_READ_TBL_COR = 18;
inline constexpr std::uint8_t CMD_WRT_TBL_COR = 19;
inline constexpr std::uint8_t CMD_CANC_ERR = 20;
inline constexpr std::uint8_t CMD_SAVE_FLASH = 21;
inline constexpr std::uint8_t CMD_READ_TBL_ADT = 22;
inline constexpr std::uint8_t CMD_WRT_TBL_ADT = 23;
inline constexpr std::uint8_t CMD_READ_MEM4 = 24;
inline constexpr std::uint8_t CMD_WRT_MEM4 = 25;
inline constexpr std::uint8_t CMD_READ_ERR = 26;
inline constexpr std::uint8_t CMD_READ_SMPL_BNZ = 27;
inline constexpr std::uint8_t CMD_READ_SMPL_GAS = 28;
inline constexpr std::uint8_t CMD_CANC_SMPL_BNZ = 29;
inline constexpr std::uint8_t CMD_CANC_SMPL_GAS = 30;
inline constexpr std::uint8_t CMD_READ_SMPL_BNZ1 = 31;
inline constexpr std::uint8_t CMD_READ_SMPL_GAS1 = 32;
inline constexpr std::uint8_t CMD_READ_FIRMWARE = 33;
inline constexpr std::uint8_t CMD_WRIT_DCOL = 44;
inline constexpr std::uint8_t CMD_READ_DCOL_FL = 48;
inline constexpr std::uint8_t CMD_READ_MEM5 = 49;
inline constexpr std::uint8_t CMD_WRT_MEM5 = 50;
inline constexpr std::uint8_t CMD_GEN = 51;

struct CommandEntry {
    int code;
    const char* name;
};

// Every code the ECU knows, with its name as the log writes it.
inline constexpr CommandEntry kCommandTable[] = {
    {CMD_GET_ADR_VAR, "CMD_GET_ADR_VAR"},       {CMD_WRT_MEM_ZONE, "CMD_WRT_MEM_ZONE"},
    {CMD_READ_MEM_ZONE, "CMD_READ_MEM_ZONE"},   {CMD_SET_ECU_SLAVE, "CMD_SET_ECU_SLAVE"},
    {CMD_SET_ECU_RUN, "CMD_SET_ECU_RUN"},       {CMD_SET_ECU_PRG, "CMD_SET_ECU_PRG"},
    {CMD_ERASE_FLASH, "CMD_ERASE_FLASH"},       {CMD_WRT_FLASH_ZONE, "CMD_WRT_FLASH_ZONE"},
    {CMD_GET_ECO, "CMD_GET_ECO"},               {CMD_WRT_FLASH_END, "CMD_WRT_FLASH_END"},
    {CMD_EOBD, "CMD_EOBD"},                     {CMD_READ_MEM1, "CMD_READ_MEM1"},
    {CMD_READ_MEM2, "CMD_READ_MEM2"},           {CMD_READ_MEM3, "CMD_READ_MEM3"},
    {CMD_WRT_MEM1, "CMD_WRT_MEM1"},             {CMD_WRT_MEM2, "CMD_WRT_MEM2"},
    {CMD_WRT_MEM3, "CMD_WRT_MEM3"},             {CMD_READ_TBL_COR, "CMD_READ_TBL_COR"},
    {CMD_WRT_TBL_COR, "CMD_WRT_TBL_COR"},       {CMD_CANC_ERR, "CMD_CANC_ERR"},
    {CMD_SAVE_FLASH, "CMD_SAVE_FLASH"},         {CMD_READ_TBL_ADT, "CMD_READ_TBL_ADT"},
    {CMD_WRT_TBL_ADT, "CMD_WRT_TBL_ADT"},       {CMD_READ_MEM4, "CMD_READ_MEM4"},
    {CMD_WRT_MEM4, "CMD_WRT_MEM4"},             {CMD_READ_ERR, "CMD_READ_ERR"},
    {CMD_READ_SMPL_BNZ, "CMD_READ_SMPL_BNZ"},   {CMD_READ_SMPL_GAS, "CMD_READ_SMPL_GAS"},
    {CMD_CANC_SMPL_BNZ, "CMD_CANC_SMPL_BNZ"},   {CMD_CANC_SMPL_GAS, "CMD_CANC_SMPL_GAS"},
    {CMD_READ_SMPL_BNZ1, "CMD_READ_SMPL_BNZ1"}, {CMD_READ_SMPL_GAS1, "CMD_READ_SMPL_GAS1"},
    {CMD_READ_FIRMWARE, "CMD_READ_FIRMWARE"},   {CMD_WRIT_DCOL, "CMD_WRIT_DCOL"},
    {CMD_READ_DCOL_FL, "CMD_READ_DCOL_FL"},     {CMD_READ_MEM5, "CMD_READ_MEM5"},
    {CMD_WRT_MEM5, "CMD_WRT_MEM5"},             {CMD_GEN, "CMD_GEN"},
};

// The name the log writes for a code that is not in the table.
inline constexpr const char* kUnknownCommandName = " XXXXXXXXXX ";

}  // namespace gw
