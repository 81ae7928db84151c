// CHP48Link: the Kermit link to the calculator's server. Dravik is always
// the client.
//
// Lower half (kermit_packet.cpp, kermit_codec.cpp, kermit_params.cpp):
// building, sending, reading and checking one packet, the prefix encoding of
// data fields, and the send-init parameter exchange.
// Upper half (kermit_transactions.cpp, calculator_directory.cpp): the client
// transactions built on it - reply wait with retransmission, sending and
// receiving files, directory requests, remote host commands and moving the
// calculator between its directories.
//
// Results are ints: 1 (nonzero) for success, 0 for failure; AwaitReply
// returns a packet type letter or -1. Nothing throws for protocol, port or
// file errors. The link reaches the user only through the session's
// MainWindowHandle (message boxes, the settings dialog, the status bar) and
// ProgressWindow (posts 0 packets, 1 item index, 2 bytes).
//
// The protocol fields are public so that the operations built on the link
// (calculator operations, jobs, tests) can read and set them directly.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "link/serial_port.h"

namespace dravik {

class ListingCache;
struct CalculatorModel;
namespace hp48 {
struct PortEntry;
}

// Kermit character transforms.
constexpr int tochar(int x) { return x + 32; }
constexpr int unchar(uint8_t c) { return static_cast<int8_t>(c) - 32; }
constexpr int ctl(int c) { return c ^ 64; }

class CHP48Link : public CSerialPort {
 public:
  static constexpr int kLineMax = 200;      // longest line we read
  static constexpr int kEndMarker = -1;     // "no following byte" for EncodeByte
  static constexpr int kTimeout = 'T';      // ReceivePacket: nothing came in time
  static constexpr int kBadPacket = 'Q';    // ReceivePacket: no MARK, bad LEN or check
  // ReceivePacket: a whole packet, but with another block check than ours:
  // a peer still in another exchange (m_rxSeq and m_data are set; an error
  // packet is reported as 'E' whatever its check).
  static constexpr int kForeignPacket = 0x100;
  static constexpr int kFailed = -1;        // AwaitReply: failure, E packet or cancel
  // The HP48's pause between two transactions (CalculatorModel::SettleMs
  // says each model's).
  static constexpr int kSettleMs = 150;
  // An error packet ends a transfer for the calculator, which then loses
  // whatever arrives for about 2 s (a command sent sooner is never
  // answered) and answers the first command after that only about 3.3 s
  // after the error. The line is kept quiet that long, and that command's
  // first packet waits at least kReplyAfterErrorS for its answer.
  static constexpr int kQuietAfterErrorMs = 2000;
  static constexpr int kErrorRecoveryMs = 3500;
  static constexpr int kReplyAfterErrorS = 2;

  explicit CHP48Link(Session& session);
  ~CHP48Link() override;

  // ---- packet layer ------------------------------------------------------

  // Sends pad characters, MARK, LEN, SEQ, TYPE, the data bytes unchanged,
  // the block check of m_checkType and m_eol in one write. Always 1.
  int SendPacket(int type, int seq, std::string_view data);
  // Writes the last packet sent again (the trace shows it again).
  void ResendLastPacket();
  // Reads bytes into the receive buffer until a CR or m_lineMax bytes.
  // Returns the count before the CR, m_lineMax without CR, -1 on time-out.
  int ReadLine();
  // Reads and checks one packet. Returns its type letter, 'T' (time-out),
  // 'Q' (bad packet) or kForeignPacket. Sets m_rxLen, m_rxSeq and m_data.
  int ReceivePacket();

  // Appends the encoding of byte a to the data buffer; next is the byte that
  // follows it in the input or kEndMarker.
  void EncodeByte(int a, int next);
  // Fills the data buffer with the encoding of the input file, at most max
  // bytes; returns its length (0 at the end of the file).
  int FillFromFile(int max);
  // Fills the data buffer with the encoding of text (limit m_maxData);
  // returns its length.
  int FillFromString(std::string_view text);
  // Decodes m_data into the output file. 1, or 0 if a write failed.
  int DecodeToFile();
  // Decodes m_data into m_text and points m_data at it.
  void DecodeToText();
  // Our send-init parameters (also left in the data buffer).
  std::string MakeInitParams();
  // Adopts the peer's send-init parameters (each byte one field).
  void TakeInitParams(std::string_view fields);
  // Whether a reply of this type is the peer's send-init parameters (its S,
  // or the ACK of our S or I) naming a control or 8th-bit prefix that peers
  // do not use, seen for the first time. Those packets carry only the
  // 6-bit block check, which lets one damaged packet in 64 through, and a
  // wrong prefix would garble every file of the transaction while every
  // later check passes: such a packet is asked for again, and believed
  // when it comes back the same.
  bool DoubtfulInit(int type);

  // The encoded data of the next packet.
  const std::string& DataBuffer() const { return m_dataBuf; }
  void ClearDataBuffer() { m_dataBuf.clear(); m_dataLen = 0; }
  // The last packet sent, pad characters and EOL included.
  const std::string& SendBuffer() const { return m_sendBuf; }

  // ---- transactions ------------------------------------------------------

  // Waits for an acceptable reply: a packet with sequence m_seq and one of
  // the types FXDZBYSI. A NAK of the next packet counts as 'Y'. A packet
  // that answers none of ours (a second ACK of the previous packet, a NAK or
  // packet of another sequence number: a peer still in another exchange) is
  // passed over while the wait lasts; a time-out, a damaged packet, a NAK
  // of ours or the peer's repeat of its previous packet make it send the
  // last packet again. The seventh try without an answer runs the
  // no-response path. Returns the type or -1 (E packet, cancel, silence).
  int AwaitReply();
  int SendAck();
  int SendAckWithData(std::string_view text);
  int SendNak();
  // Sends an E packet with the current sequence number, and keeps the line
  // quiet for the calculator's recovery (kQuietAfterErrorMs).
  int SendError(std::string_view text);

  // Sends the files at the given paths (kermit_send.cpp). 1 when every file
  // was delivered or skipped by the user, 0 when one was not delivered: it
  // could not be opened or read, the receiver refused it (X or Z in the
  // acknowledgement of a data packet), or the line failed.
  int SendFiles(const std::vector<std::string>& list);
  // What SendFiles checks before it touches the line: each file is a
  // regular file that opens for reading and its name is a calculator name
  // (hp48::IsCalculatorName). Tells the user about the first that is not.
  int CheckFilesToSend(const std::vector<std::string>& list);
  // Asks for the named objects and stores them in CurrentPCFolder
  // (kermit_receive.cpp). 1 when every object arrived or was skipped by the
  // user, 0 otherwise.
  int ReceiveFiles(const std::vector<std::string>& list);
  // Generic "D" request; the reply text goes to DirectoryListing. 1 or 0.
  int ReadDirectory();
  // Sends text as a "C" packet, encoded like a data field, and collects the
  // reply into HostReply. A text whose encoding does not fit one packet is
  // refused with a message before anything is sent. 1 or 0.
  int RunHostCommand(std::string_view text);
  // The data field of a command packet for text (control prefix, and the
  // 8th-bit prefix when agreed); also left in the data buffer.
  std::string EncodeCommand(std::string_view text);
  int CollectHostReply();
  // Moves the calculator to HOME (both calculator paths become "HOME\").
  int GoHome();
  // Moves the calculator to CurrentHPPath.
  int ChangeDirectory();
  // Removes the last level of CurrentHPPath; sends nothing.
  void UpDirectory();
  // Generic "F": the calculator leaves server mode. No reply is awaited.
  int Finish();

  // ---- calculator operations (hp48_operations.cpp, move_program.cpp,
  //      xmodem_prepare.cpp) ------------------------------------------------

  // Connection check: reads flag -35, the checksum type, the translation
  // code and the current directory into the session. 1 when both commands
  // were answered and the reply could be read; otherwise nothing changes.
  int QueryCalculatorState();
  // "-35 SF" or "-35 CF" after the session's BinaryMode.
  int SetTransferFormat();
  // Pushes the session's TranslationMode and ChecksumType, parity none.
  int SetCalculatorIO();
  // list_text is "{" + each name and a blank + "}"; quoted_name "'" + name + "'".
  // Both make sure the calculator is in CurrentHPPath first.
  int PurgeObjects(std::string_view list_text);
  // Purges the names in CurrentHPPath, in as many commands as they need.
  int PurgeNames(const std::vector<std::string>& names);
  int PurgeDirectory(std::string_view quoted_name);
  int MakeHPDirectory(std::string_view name);
  // Leaves the calculator holding a program that archives its memory to the
  // I/O port and restarts the server; the receive that follows sends no I.
  int StartArchive(std::string_view name);
  // The program left for the calculator (archive, XModem) ran to its end:
  // only its stored runner is left to purge, which goes now.
  void RunnerFinished();
  // Puts back what the session's Leftovers say a program that never ran
  // changed on the calculator: drops it from the stack, purges the variables,
  // sets the translation mode again. 1 when all of it worked.
  int PutBackLeftovers();
  // Sends the restore command for a backup variable and reads no reply.
  int RestoreBackup(std::string_view name);
  // Moves the objects named in TransferList from CurrentHPPath to the
  // destination path; the calculator ends in CurrentHPPath.
  int MoveObjects(std::string_view destination);
  // Loads the calculator with the XModem program for TransferList and leaves
  // it waiting for EVAL. cache gives the names already in CurrentHPPath
  // (null: none known).
  int PrepareXModemJob(bool calculator_receives, const ListingCache* cache);

  // ---- ports and libraries (port_operations.cpp, port_transfers.cpp) ----
  // A port path (":0:\\") stands for HOME with that port as what is listed,
  // fetched from, stored into and purged: ReadDirectory, ReceiveFiles,
  // SendFiles and PurgeNames act on the port while HPWorkingPath is one.

  // What one port holds, as `n PVARS` tells it.
  struct PortSummary {
    int number = 0;
    std::string free;                // free bytes as the calculator shows them
    std::vector<std::string> names;  // a library by its number
  };
  // Every port of the model that the calculator has (a card port without a
  // card is left out), in number order; without names, what each holds is
  // not asked for. 1, or 0 after telling why.
  int ReadPorts(std::vector<PortSummary>& ports, bool names = true);
  // Whether the calculator has the port; tells the user when not.
  int CheckPort(int port);
  // Puts the listing of the port into DirectoryListing, in the form G D
  // gives a directory (its objects' size, type and checksum, a library's
  // title between quotes). 1 or 0.
  int ReadPortListing(int port);
  // ReceiveFiles for port objects: each goes through the temporary variable
  // in HOME, which is purged afterwards whatever became of the transfer.
  // ReceivedObjects name the port objects.
  int ReceiveFromPort(int port, const std::vector<std::string>& list);
  // SendFiles into a port: each file is uploaded to HOME, checked there,
  // and moved into the port, a library under its number. A name the port
  // holds already is replaced only when the user says so. StoredNames give
  // the names in the port.
  int SendToPort(int port, const std::vector<std::string>& list);
  // Purges port objects; on a model that needs it, a library is detached
  // first.
  int PurgePortNames(int port, const std::vector<std::string>& names);
  // MoveObjects into a port: each object named in TransferList is stored
  // into the port (a library under its number) and purged in
  // CurrentHPPath once it is there; a name the port holds is replaced only
  // when the user says so. 1 when all of them moved.
  int MoveToPort(int port);
  // Attaches the library in HOME and checks that LIBS lists one more. 1 or 0.
  int AttachLibrary(int number);
  // SendToPort replaces what a port holds under the same name without
  // asking (a sync whose plan decided it may).
  bool ReplaceInPorts = false;

  // Runs a command through RunHostCommand: refuses a text that does not fit
  // one packet, and treats an "Error: ..." reply as failure, shown (unless
  // show_error is false) with the caption "Error Message from HP48". A
  // failed command's leftovers are dropped, so the stack is as it was found.
  // 1 or 0.
  int RunCalculatorCommand(std::string_view text, bool show_error = true);
  // Moves the calculator to path, entering only directories, and checks with
  // PATH that it got there; refuses (0) otherwise, naming the part of the
  // path that is not a directory (in a message, or in *why when given), with
  // HPWorkingPath set to where it is.
  int EnterDirectory(std::string_view path, std::string* why = nullptr);
  // EnterDirectory(CurrentHPPath).
  int EnsureInCurrentDirectory();
  // Enters path and reads the names it holds. 1, or 0 after telling why.
  int ListNames(std::string_view path, std::vector<std::string>& names);
  // Asks the calculator whether it can store a variable under name (a
  // command's name cannot); tells the user when not. 1 or 0.
  int CheckStorableName(std::string_view name);

  // Asks once before names the calculator keeps for itself (the HP49's
  // CASDIR) are deleted or moved (verb: "Delete", "Move"), saying what they
  // are. 1 when none is among them or the user said yes.
  int ConfirmSystemNames(const std::vector<std::string>& names, std::string_view verb);

  // The calculator that answers (the session's model; an HP48GX before
  // the first connection check).
  const CalculatorModel& model() const;
  // What messages call it: "HP48", "HP49".
  std::string CalcName() const;

  // Reply text of the last directory request and of the last host command:
  // the decoded data fields concatenated.
  std::string DirectoryListing;
  std::string HostReply;
  // Said after the path in the status text while a listing is read, e.g.
  // how far a walk over all directories has got ("(12 of 200)").
  std::string ReadingNote;

  // What the last SendFiles left on the calculator: for each file whose
  // header was acknowledged, the name the calculator stored it under (its
  // acknowledgement carries it: an existing name gets ".1"); empty for a
  // file that was skipped.
  std::vector<std::string> StoredNames;
  // What the last ReceiveFiles kept: each object's name and its file.
  struct ReceivedObject {
    std::string name;
    std::string path;
  };
  std::vector<ReceivedObject> ReceivedObjects;
  // What the user skipped in the last SendFiles (paths) or ReceiveFiles
  // (names), in list order.
  std::vector<std::string> SkippedItems;

  // ---- protocol state (names as in the protocol description) -------------
  int m_lineMax = kLineMax;
  std::string_view m_data;   // data of the last packet received, or m_text
  int m_noInitPacket = 0;    // ReceiveFiles waits for the peer's S without sending I
  int m_packetCount = 0;     // sequence-number advances
  int m_maxData = 90;        // largest encoded data field of an outgoing packet
  int m_state = 0;           // 1 await ACK of S/Z, 2 of F/D, 4 of I, 5 R sent
  int m_sendMax = 94;        // peer's MAXL (kept within 10..94)
  int m_recvMax = 94;        // our MAXL
  int m_peerTime = 0;        // peer's TIME in seconds
  int m_myTime = 7;          // our TIME
  int m_myPad = 0;           // our NPAD
  int m_padCount = 0;        // pad characters before each packet (peer's NPAD)
  int m_checkType = 1;       // block-check type in use now
  int m_agreedCheck = 1;     // block check taken from the peer and offered as ours
  int m_qbin = '&';          // 8th-bit prefix in use
  int m_qbinOn = 0;          // 8th-bit prefixing active
  int m_qbinMode = -1;       // peer's QBIN: -1 not seen, 0 none, 1 "Y", 2 a prefix
  int m_peerQbin = 0;        // the peer's QBIN byte as received
  int m_myQbin = 'Y';        // QBIN we offer
  int m_repeatCount = 0;     // run length (encoding) / repeat count (decoding)
  int m_rept = '~';          // repeat prefix
  int m_myRept = 0;          // repeat prefix we offer; 0 = none (the REPT field is left out)
  int m_repeatOn = 0;        // repeat-count prefixing active
  uint8_t m_padChar = 0;     // pad character (peer's PADC)
  uint8_t m_myPadChar = 0;   // our PADC
  uint8_t m_myEol = 13;      // our EOL
  uint8_t m_eol = 13;        // sent after each packet (peer's EOL)
  uint8_t m_peerQctl = '#';  // control prefix in received data
  uint8_t m_myQctl = '#';    // control prefix in sent data
  int m_seq = 0;             // current sequence number 0..63
  int m_dataLen = 0;         // length of the encoded data in the data buffer
  int m_fitLen = 0;          // data length before the last byte's encoding
  int m_rxLen = -1;          // data length of the last packet received
  int m_rxSeq = -1;          // sequence number of the last packet received
  int m_rxType = 0;          // its type letter
  uint8_t m_rxMark = 1;      // start of packet expected
  uint8_t m_txMark = 1;      // start of packet sent
  int m_stripParity = 0;     // mask bit 7 before block checks (port runs with parity)
  int m_fillState = 1;       // 1 new input, 0 in progress, -1 input exhausted
  // Depth of the calculator's stack after the last command, as its reply
  // showed it; -1 when unknown (the calculator ran a program of its own).
  int m_stackDepth = -1;
  // AwaitReply gave up on a cancel right after the peer acknowledged our
  // packet (m_data holds that acknowledgement).
  bool m_ackedAtCancel = false;
  // Set while the answer to a B is awaited: the calculator's idle NAK
  // (sequence 0) then says it took the B and left the transfer, its
  // acknowledgement lost on the way (AwaitReply).
  bool m_awaitingBreak = false;

 private:
  // A fill source's byte read ahead and the encoding that did not fit into
  // the previous packet.
  struct FillSource {
    int pending = 0;
    std::string carry;
  };
  template <typename NextByte>
  int Fill(FillSource& source, int max, NextByte next_byte);

  // The steps of SendFiles and ReceiveFiles return kGoOn while the
  // transfer goes on, else its result.
  static constexpr int kGoOn = -1;
  static constexpr std::string_view kCancelledText = "FILES CANCELLED";
  struct SendRun;
  // One Kermit batch of SendFiles: items, when not empty, is where each
  // file of list stands in the caller's list.
  int SendBatch(const std::vector<std::string>& list, const std::vector<size_t>& items);
  // Asks whether a file that is neither text nor an object goes in binary
  // mode, stored as a String (true), or is left out.
  bool AskToSendAsString(const std::string& path);
  // True when the acknowledgement was a refusal, already answered.
  bool TakeSendAck(SendRun& run);
  void RefusedByReceiver(SendRun& run, bool rest_of_batch);
  int OfferNextFile(SendRun& run);
  int SendNextData(SendRun& run);
  void SendEndOfFile(SendRun& run, bool discard);
  int SkipTheRest(SendRun& run);
  int SendBreak(SendRun& run);
  // Ends a send the user stopped: the file under way discarded (Z "D") and
  // the batch ended (B), or an E when the calculator does not take those.
  // 1 only when the whole batch had got there.
  int EndCancelledSend(SendRun& run);
  // The calculator's answer to the packet just sent, read after a cancel
  // for at most a second: 'Y' (or a NAK of the next packet), 'E', or 0.
  int AwaitEndingAnswer();
  struct ReceiveRun;
  int TakeReceived(ReceiveRun& run, int type);
  // False when Stop was asked: nothing was sent.
  bool RequestObject(ReceiveRun& run);
  int TakeFileHeader(ReceiveRun& run);
  int TakeFileData(ReceiveRun& run);
  int TakeEndOfFile(ReceiveRun& run);
  int WriteFailed();
  void AppendEncoded(int a);
  void Decode(std::string_view data, std::string& out);
  void AdvanceSeq();
  // QueryCalculatorState, MoveObjects and PrepareXModemJob without their
  // log entries.
  int ReadCalculatorState();
  // The current directory from a listing's first line, where the stack
  // showed its path cut short. 1 or 0.
  int ReadPathFromListing();
  int MoveObjectsUnlogged(std::string_view destination);
  int PrepareXModemUnlogged(bool calculator_receives, const ListingCache* cache);
  // Moves the calculator to HOME for work on the port path (HPWorkingPath
  // becomes it). 1 or 0.
  int EnterPort(const std::string& path);
  // Runs store_command, which leaves a value in the temporary variable, and
  // fetches that in text form into text (its first line, the header, left
  // out); the variable is purged afterwards. arrows: the command needs
  // translation mode 3. 1 or 0.
  int ReadThroughTemporary(const std::string& store_command, bool arrows, std::string& text);
  // 1 when HOME has no variable of the temporary name; tells the user when
  // it has.
  int TemporaryNameFree();
  // Purges the temporary variable even after a cancel, unless the user gave
  // up the link.
  void PurgeTemporary(bool directory);
  // The library titles a model cutting its stack showed cut, read whole.
  void ReadCutTitles(int port, std::vector<hp48::PortEntry>& entries);
  // Whole titles read so far, by library number, size and checksum: the
  // same library object has the same title, and reading one costs seven
  // exchanges through the temporary variable.
  std::map<std::string, std::string> m_wholeTitles;
  // Stores the variable `stored` of the current directory into the port as
  // port_name and purges it, asking before it replaces what is there; an
  // upload (purge_on_failure) goes also when it does not get there. 1
  // stored, 0 failed, -1 the user said no.
  int MoveIntoPort(const std::string& stored, int port, const std::string& port_name,
                   bool library, bool purge_on_failure = true);
  // ReadDirectory's exchange, without its log entry.
  int ReadListingPackets();
  // ReceivePacket without the trace report.
  int ReadPacket();
  // Runs the guarded commands that enter path; reached gets where the path
  // led after HOME and after each name. HPWorkingPath becomes where the
  // calculator ended. 0 when a command failed.
  int WalkPath(std::string_view path, std::vector<std::string>& reached);
  // Every transaction the client starts: sequence 0, block check 1, parity
  // from the settings, the line quiet as long as the peer needs, and
  // nothing stale in the input. False, with nothing sent, when Stop was
  // asked: no new exchange starts after it.
  bool BeginTransaction(bool discard_input = true);
  // The first reply of a transaction: waits longer while the calculator
  // recovers from an error packet.
  int ReceiveFirstReply();
  // A whole packet of the peer's that answers neither our last packet nor
  // the one before (AwaitReply).
  bool AnswersNoneOfOurs(int type) const;
  void ShowMessage(std::string_view text, std::string_view caption);
  void NoResponse();
  // What the no-response message says: the line is gone, the device cannot
  // be opened, or the calculator does not answer.
  std::string NoResponseText() const;
  // The end of a receive: removes the unfinished file if there is one.
  void DropPartialFile();

  std::string m_sendBuf;                        // last packet sent
  int m_sentType = 0;                           // its type letter
  int m_sentSeq = 0;                            // its sequence number
  std::pair<size_t, size_t> m_sentData{0, 0};   // where its data field lies in m_sendBuf
  // The calculator answers slowly until then (an error packet went out).
  std::chrono::steady_clock::time_point m_peerRecoversAt{};
  bool m_patientReply = false;                  // the next reply is the first after it
  std::string m_doubtedInit;                    // the last DoubtfulInit answer
  std::array<uint8_t, kLineMax + 3> m_rxBuf{};  // last line read
  int m_rxLineLen = 0;
  std::string m_dataBuf;                        // encoded data of the next packet
  std::string m_text;                           // decoded text of the last DecodeToText
  std::string m_decoded;                        // decoded bytes of the last DecodeToFile
  FillSource m_fileSource;
  FillSource m_stringSource;
  std::string_view m_stringInput;
  size_t m_stringPos = 0;
  bool m_partialFile = false;                   // an output file is open and unfinished
};

}  // namespace dravik
