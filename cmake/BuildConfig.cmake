# Build configuration of the installer: everything a maker may set when
# configuring (cmake -D NAME=VALUE). The values end up in BuildConfig.h.

# Where the install report goes: the maker's statistics server. The default
# is the local stats-server of the demo and the tests.
set(VELMORA_REPORT_URL "http://127.0.0.1:18080/Tj/ins_detail" CACHE STRING "Install report URL (plain HTTP)")
# The maker's website: the uninstall entry, the internet shortcuts and the
# agreement and privacy pages are addresses on it.
set(VELMORA_WEBSITE_HOST "http://www.orvanti.example" CACHE STRING "Website address without a trailing slash")
if(NOT VELMORA_REPORT_URL MATCHES "^http://[^ ]+$")
  message(FATAL_ERROR "VELMORA_REPORT_URL must be a plain http:// address")
endif()
if(NOT VELMORA_WEBSITE_HOST MATCHES "^https?://[^ /]+$")
  message(FATAL_ERROR "VELMORA_WEBSITE_HOST must be http(s)://host without a path")
endif()

# Key set that protects the channel identity (option "Qid"): 32 and 16
# upper-case hexadecimal characters, used as the key and IV bytes themselves.
set(VELMORA_IDENTITY_KEY "7C3E19A0B5D24F86E1C07A93D5B8426F" CACHE STRING "Identity cipher key (32 hex characters)")
set(VELMORA_IDENTITY_IV "4A9D02E7C61B5F38" CACHE STRING "Identity cipher IV (16 hex characters)")
# Key set of the install report; the statistics server decrypts with it.
set(VELMORA_REPORT_KEY "E5920B7DF3A14C68B20D9E57A1F63C84" CACHE STRING "Report cipher key (32 hex characters)")
set(VELMORA_REPORT_IV "93B6E0214D8AF75C" CACHE STRING "Report cipher IV (16 hex characters)")
# AES-256-CFB key and IV of the embedded skin archive, as hexadecimal bytes.
set(VELMORA_SKIN_KEY "2F8A6C13E94D07B5A1C3E58F60D29B7445E1A8C3097F6B2DD4135E8A7C0F9B26" CACHE STRING "Skin key (64 hex digits)")
set(VELMORA_SKIN_IV "C40B7E9A15D36F28E0A9B4C75D1E3F62" CACHE STRING "Skin IV (32 hex digits)")

# The wizard's skin folder: the layouts (*.xml) and art/*.svg, rendered to
# PNG at 1x and @2x when building.
set(VELMORA_SKIN_DIR "${CMAKE_SOURCE_DIR}/resources/skin" CACHE PATH "Skin folder: *.xml layouts and art/*.svg")
if(NOT IS_DIRECTORY "${VELMORA_SKIN_DIR}")
  message(FATAL_ERROR "VELMORA_SKIN_DIR must name a folder")
endif()

function(velmora_check_hex name length)
  string(LENGTH "${${name}}" actual)
  if(NOT actual EQUAL length OR NOT "${${name}}" MATCHES "^[0-9A-F]+$")
    message(FATAL_ERROR "${name} must be ${length} upper-case hexadecimal characters")
  endif()
endfunction()
velmora_check_hex(VELMORA_IDENTITY_KEY 32)
velmora_check_hex(VELMORA_IDENTITY_IV 16)
velmora_check_hex(VELMORA_REPORT_KEY 32)
velmora_check_hex(VELMORA_REPORT_IV 16)
velmora_check_hex(VELMORA_SKIN_KEY 64)
velmora_check_hex(VELMORA_SKIN_IV 32)

# The skin key and IV as C byte lists for the generated header.
function(velmora_hex_to_bytes hex out)
  string(REGEX MATCHALL ".." pairs "${hex}")
  list(TRANSFORM pairs PREPEND "0x")
  list(JOIN pairs ", " joined)
  set(${out} "${joined}" PARENT_SCOPE)
endfunction()
velmora_hex_to_bytes("${VELMORA_SKIN_KEY}" VELMORA_SKIN_KEY_BYTES)
velmora_hex_to_bytes("${VELMORA_SKIN_IV}" VELMORA_SKIN_IV_BYTES)

set(VELMORA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildConfig.h.in ${VELMORA_GENERATED_DIR}/BuildConfig.h @ONLY)
