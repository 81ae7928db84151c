#include "sim_model.h"

#include <cctype>
#include <string>

namespace dravik::sim {
namespace {

// The HP48GX, ROM revision R (hp48-reference/).
constexpr ModelTraits k48GXTraits = {
    .binary_header = "HPHP48-R",
    .upload_header = "HPHP48-",
    .refused_header = nullptr,
    .listing_path_line = true,
    .real_trailing_dot = false,
    .exact_integers = false,
    .algebraic_stack_display = false,
    .stack_value_width = 0,
    .binary_base = 'd',
    .angle_mode = 'D',
    .file_final_newline = true,
    .file_lf_only_under_t0 = false,
    .file_line_width = 19,
    .file_directory_newest_first = false,
    .file_matrix_row_separator = "  ",
    .version_text = "Version HP48-R",
    .copyright_text = "Copyright HP 1993",
    .crdir_replaces_variable = false,
    .pgdir_of_missing_is_silent = false,
    .store_over_directory = "Directory Recursion",
    .upload_renames_command_names = false,
    .finish_clears_stack = false,
    .exact_divide_by_zero_is_infinity = false,
    .flag_count = 64,
    .file_escapes_backslash = false,
    .keyboard_runner = nullptr,
    .xmodem = {},
    // A fresh memory (IOPAR only, empty stack) shows 127843.5 bytes free,
    // IOPAR's entry taking 29.5.
    .user_memory_nibbles = 2 * 127843 + 1 + 59,
    .cas_directory = false,
    // Port 0 in main memory, port 1 a RAM card when one is plugged in.
    .ports = {.count = 2,
              .main_port = true,
              .built_in_bytes = {},
              .card_ports = 1,
              .merge = true,
              .missing_port_is_directory = false,
              .purge_refuses_object_on_stack = true,
              .attach_after_warm_start = true,
              .purge_refuses_attached_library = true,
              .warm_start_detaches = false,
              .library_title_gap = "  "},
};

// The HP48SX, ROM revision J: the GX less a listing's path line and VERSION,
// with its own ROM letter (its ROM lacks VERSION, XSEND and XRECV too).
constexpr ModelTraits Make48SXTraits() {
  ModelTraits t = k48GXTraits;
  t.binary_header = "HPHP48-J";
  t.listing_path_line = false;
  t.version_text = nullptr;
  t.copyright_text = nullptr;
  // Two card slots, ports 1 and 2, and no port 0.
  t.ports.count = 3;
  t.ports.main_port = false;
  t.ports.card_ports = 2;
  return t;
}
constexpr ModelTraits k48SXTraits = Make48SXTraits();

// The HP49G, ROM 1.19-6 (hp49-reference/); it stands for the 49g+, 50g
// and 48gII as well.
constexpr ModelTraits k49GTraits = {
    .binary_header = "HPHP49-B",
    .upload_header = "HPHP49-",
    .refused_header = "HPHP48-",
    .listing_path_line = true,
    .real_trailing_dot = true,
    .exact_integers = true,
    .algebraic_stack_display = true,
    .stack_value_width = 22,
    .binary_base = 'h',
    .angle_mode = 'R',
    .file_final_newline = false,
    .file_lf_only_under_t0 = true,
    .file_line_width = 21,
    .file_directory_newest_first = true,
    .file_matrix_row_separator = "\r\n ",
    .version_text = "Version HP49-B\nRevision #1.19-6",
    .copyright_text = "Copyright HP 2001",
    .crdir_replaces_variable = true,
    .pgdir_of_missing_is_silent = true,
    .store_over_directory = "Directory Not Allowed",
    .upload_renames_command_names = true,
    .finish_clears_stack = true,
    .exact_divide_by_zero_is_infinity = true,
    .flag_count = 128,
    .file_escapes_backslash = true,
    .keyboard_runner = "PCRUN",
    .xmodem = {.crc_start = true,
               .crc_requests_ms = {0, 1000, 4000, 7000},
               .first_nak_ms = 10000,
               .long_first_block = true,
               .fill_from_memory = true},
    // A fresh memory (IOPAR and CASDIR, empty stack) shows 246382 bytes
    // free; IOPAR's entry takes 29.5, CASDIR's 128.
    .user_memory_nibbles = 2 * 246382 + 59 + 256,
    .cas_directory = true,
    // Port 0 in main memory, port 1 ERAM and port 2 flash, always there.
    .ports = {.count = 3,
              .main_port = true,
              .built_in_bytes = {0, 262128, 1046400},
              .card_ports = 0,
              .merge = false,
              .missing_port_is_directory = true,
              .purge_refuses_object_on_stack = false,
              .attach_after_warm_start = false,
              .purge_refuses_attached_library = false,
              .warm_start_detaches = true,
              .library_title_gap = " "},
};

}  // namespace

std::optional<SimModel> ParseSimModel(std::string_view text) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (SimModel m : {SimModel::k48SX, SimModel::k48GX, SimModel::k49G}) {
    if (lower == SimModelName(m)) return m;
  }
  return std::nullopt;
}

const char* SimModelName(SimModel model) {
  switch (model) {
    case SimModel::k48SX: return "48sx";
    case SimModel::k49G: return "49g";
    case SimModel::k48GX: break;
  }
  return "48gx";
}

const ModelTraits& Traits(SimModel model) {
  switch (model) {
    case SimModel::k48SX: return k48SXTraits;
    case SimModel::k49G: return k49GTraits;
    case SimModel::k48GX: break;
  }
  return k48GXTraits;
}

}  // namespace dravik::sim
