// The calculator model the simulator answers as, and what the models do
// differently: one table per model (sim_model.cpp), from the captures of
// each (hp48-reference/ and its HP48SX section, hp49-reference/). The rest
// of the simulator reads these fields; it never tests for a model by name.
// The simulator stands for the calculator: this table is its own, not the
// one Dravik's engine keeps of what it has learnt about a model.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace dravik::sim {

enum class SimModel { k48SX, k48GX, k49G };

// "48sx", "48gx" or "49g" (any case); nothing for other text.
std::optional<SimModel> ParseSimModel(std::string_view text);
// The name ParseSimModel reads: "48sx", "48gx", "49g".
const char* SimModelName(SimModel model);

// How XSEND and XRECV run on the line.
struct XModemStyle {
  // XSEND: a 'D' from the receiver starts a transfer with CRC-16 blocks (a
  // NAK one with checksum blocks); XRECV asks for CRC blocks with 'D's
  // before its first NAK.
  bool crc_start = false;
  // XRECV on a model with crc_start: when its 'D's go out (ms after the
  // start); the first NAK follows at first_nak_ms.
  std::array<int, 4> crc_requests_ms{};
  int first_nak_ms = 250;
  // A file of 1024 bytes or more goes out as one 1024-byte STX block, then
  // 128-byte SOH blocks.
  bool long_first_block = false;
  // The last block is filled with what follows the object in memory (else
  // with zero bytes), and so is the high half of an odd last byte.
  bool fill_from_memory = false;
};

// What a model keeps in its ports and how it treats libraries there.
struct PortTraits {
  // Ports 0 .. count-1 may exist; a higher number is no port.
  int count;
  // Port 0 holds its objects in main memory (its free bytes are MEM's).
  bool main_port;
  // Built-in ports (1, 2, …) with their size in bytes; 0 for a port that
  // exists only with a card (card_ports).
  std::array<uint64_t, 3> built_in_bytes;
  // Ports from 1 up that a card plugs into.
  int card_ports;
  // MERGE and FREE of a card's RAM (else both answer Bad Argument Type).
  bool merge;
  // A tag naming no port (:3:X) is read as no tag at all: STO stores into
  // the current directory. Else Port Not Available.
  bool missing_port_is_directory;
  // PURGE of a port object that is also on the stack: Object In Use.
  bool purge_refuses_object_on_stack;
  // A library stored into a port is installed by the next warm start, and
  // ATTACH does nothing until then.
  bool attach_after_warm_start;
  // PURGE of an attached library: Object In Use (else it is purged and
  // detached).
  bool purge_refuses_attached_library;
  // A warm start detaches the libraries that have no config object.
  bool warm_start_detaches;
  // The stack form of a library: "Library 1234:" then this, then the title.
  const char* library_title_gap;
};

struct ModelTraits {
  // --- Binary files ---
  const char* binary_header;  // what R, XSEND and ARCHIVE write: "HPHP48-R"
  const char* upload_header;  // the 7 bytes a binary upload starts with
  // An upload starting with the other family's header ("HPHP48-" on a 49)
  // is refused with Invalid Syntax instead of being read as text.
  const char* refused_header;

  // --- G D ---
  // The first line "{ HOME D } free"; without it an empty directory is a
  // D packet with no data.
  bool listing_path_line;

  // --- Numbers and display ---
  // Reals show a trailing dot when whole ("3.", "0."), and so do the
  // listing's sizes, checksums and free memory ("16.", "52870.").
  bool real_trailing_dot;
  // Numbers typed without a dot are exact integers ("5" Integer).
  bool exact_integers;
  // The one-line stack form of the model: names and algebraics without
  // quotes, lists with commas ({1,2}), complex numbers and arrays as the
  // 49 writes them.
  bool algebraic_stack_display;
  // Each stack value is cut to this many characters (0: shown whole).
  size_t stack_value_width;
  // Base of binary integers on the stack and in files: 'd' or 'h'.
  char binary_base;

  // --- ASCII files (flag -35 clear) ---
  char angle_mode;                  // the A() of the %%HP header: 'D' or 'R'
  bool file_final_newline;          // CR LF after the object (not after a string)
  bool file_lf_only_under_t0;       // T(0): lines inside the object end in LF
  size_t file_line_width;           // program lines are broken past this width
  bool file_directory_newest_first; // DIR … END lists the newest variable first
  const char* file_matrix_row_separator;  // between the rows of [[ … ] [ … ]]

  // --- Commands (which ones a model has is its ROM's table, rom_table.cpp) ---
  // VERSION's two strings; null when VERSION is not a command.
  const char* version_text;
  const char* copyright_text;
  bool crdir_replaces_variable;   // 'A' CRDIR over a variable A makes A a directory
  bool pgdir_of_missing_is_silent;
  const char* store_over_directory;  // the error of STO onto a directory's name
  bool upload_renames_command_names; // an upload named like a command gets ".1"
  bool finish_clears_stack;          // G F leaves the stack empty
  bool exact_divide_by_zero_is_infinity;  // 1 0 / gives the unsigned infinity
  int flag_count;                 // flags -n..n exist (-128..128 on a 49)
  bool file_escapes_backslash;    // a \ in a string goes out as \\ in an ASCII file
  // After G F the user of this model types this name and ENTER to run the
  // program the PC left (else the user presses EVAL).
  const char* keyboard_runner;
  XModemStyle xmodem;

  // --- Memory ---
  uint64_t user_memory_nibbles;  // free memory of an empty HOME and stack
  bool cas_directory;            // a fresh memory holds CASDIR

  PortTraits ports;
};

const ModelTraits& Traits(SimModel model);

}  // namespace dravik::sim
