#pragma once
// Registry places and string ids of the service.
#include <cstdint>

#include "platform/ServiceControl.h"

namespace kv {

inline constexpr const char* SERVICE_APPID = "{9FBC2FBD-B4D2-42A6-8A13-41FFC24C4908}";
inline constexpr const char* SERVICE_APPID_KEY = "AppID\\{9FBC2FBD-B4D2-42A6-8A13-41FFC24C4908}";
inline constexpr const char* SERVICE_EXE_APPID_KEY = "AppID\\Pansvc.EXE";
inline constexpr const char* SERVICE_DEPENDENCY = "RPCSS";
inline constexpr const char* SERVICE_PARAMETERS = "-Install";
inline constexpr const char* SERVICE_UNIT_FILE = "pansvc.service";

// Service record values as the service control manager keeps them.
inline constexpr uint32_t SERVICE_TYPE_OWN_PROCESS = 0x10;
inline constexpr uint32_t SERVICE_START_AUTOMATIC = 2;
inline constexpr uint32_t SERVICE_ERROR_NORMAL = 1;
inline constexpr uint32_t SERVICE_ACCEPT_STOP_SHUTDOWN = 0x05;

// Control codes of the control handler.
inline constexpr uint32_t SERVICE_CONTROL_STOP = 1;
inline constexpr uint32_t SERVICE_CONTROL_PAUSE = 2;
inline constexpr uint32_t SERVICE_CONTROL_CONTINUE = 3;
inline constexpr uint32_t SERVICE_CONTROL_INTERROGATE = 4;
inline constexpr uint32_t SERVICE_CONTROL_SHUTDOWN = 5;

// resources/pansvc.strings
inline constexpr uint32_t IDS_SERVICE_NAME = 100;
inline constexpr uint32_t IDS_SERVICE_STARTED = 101;
inline constexpr uint32_t IDS_SERVICE_STOPPED = 102;
inline constexpr uint32_t IDS_HANDLER_NOT_INSTALLED = 103;
inline constexpr uint32_t IDS_BAD_SERVICE_REQUEST = 104;
inline constexpr uint32_t IDS_SERVICE_KEY_OPEN_FAILURE = 105;
inline constexpr uint32_t IDS_CANNOT_OPEN_SCM = 111;
inline constexpr uint32_t IDS_CANNOT_CREATE_SERVICE = 112;
inline constexpr uint32_t IDS_CANNOT_CHANGE_CONFIG = 113;
inline constexpr uint32_t IDS_CANNOT_OPEN_SERVICE = 114;
inline constexpr uint32_t IDS_CANNOT_DELETE_SERVICE = 115;
inline constexpr uint32_t IDS_DISPLAY_NAME = 121;
inline constexpr uint32_t IDS_DESCRIPTION = 122;

}  // namespace kv
