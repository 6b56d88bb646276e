#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/encoding.h"
#include "platform/files.h"
#include "vantor/midi/song.h"
#include "vantor/system/frame.h"

namespace VantorMidiSystem {
namespace {

using VantorSystem::EVnMidi;
using VantorSystem::RunMethod;

// Meta texts go through a 256-byte zero-filled buffer: at most 255 bytes,
// up to the first zero byte.
constexpr uint32_t kMetaTextMax = 255;
constexpr uint8_t kEndOfTrack = 0x2F;
constexpr uint8_t kTempo = 0x51;
constexpr uint8_t kTimeSignature = 0x58;

// Meta types kept in the event list (lyric, marker, cue point, tempo).
constexpr uint8_t kListedMetaTypes[] = {0x05, 0x06, 0x07, kTempo};

// Meta types whose texts go to one of the string lists.
struct TextList {
  uint8_t type;
  TStringList TVantorMidiDataInfo::*list;
};
constexpr TextList kTextLists[] = {
    {0x01, &TVantorMidiDataInfo::Texts},
    {0x02, &TVantorMidiDataInfo::Notices},
    {0x03, &TVantorMidiDataInfo::TrackNames},
};

[[noreturn]] void BadData(const AnsiString& fileName) {
  throw EVnMidi(VN_TEXT("ファイルデータが不正です。\nファイル名：") + fileName);
}

uint8_t ReadByte(TTrackBytes& track) {
  if (track.Position >= track.Size) BadData(track.FileName);
  return track.Data[track.Position++];
}

// A variable-length number: seven bits per byte, the last byte has its top
// bit clear. Its length is not limited, only the chunk's end.
uint32_t ReadNumber(TTrackBytes& track) {
  uint32_t value = 0;
  uint8_t byte;
  do {
    byte = ReadByte(track);
    value = (value << 7) + (byte & 0x7F);
  } while (byte & 0x80);
  return value;
}

// Checks that `count` bytes follow the read position inside the chunk.
void Require(const TTrackBytes& track, uint32_t count) {
  if (count > track.Size - track.Position) BadData(track.FileName);
}

// Inserts after every element at or before the item's time; the insertion
// point only moves forward, so one track costs one pass over the list.
template <class List, class Item>
void Merge(List& list, typename List::iterator& at, Item&& item) {
  while (at != list.end() && at->Time <= item.Time) ++at;
  list.insert(at, std::forward<Item>(item));
}

uint16_t Big16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t Big32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
  // A folder opens too, and its read fails with the stream library's own
  // exception: only a regular file is read.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

void TVantorMidiDataInfo::Clear() {
  RunMethod("TVantorMidiDataInfo::Clear", [&] {
    Texts.clear();
    Notices.clear();
    TrackNames.clear();
    ShortMessages.clear();
    LongMessages.clear();
    MetaEvents.clear();
  });
}

TVantorMidiData::TVantorMidiData() { RunMethod("TVantorMidiData::TVantorMidiData", [] {}); }

TVantorMidiData::~TVantorMidiData() { RunMethod("TVantorMidiData::~TVantorMidiData", [] {}); }

void TVantorMidiData::LoadFile(const AnsiString& fileName) {
  RunMethod("TVantorMidiData::LoadFile", [&] {
    // There are no embedded resources: the song is always a file.
    std::vector<uint8_t> file;
    if (!ReadWholeFile(platform::ResolvePath(platform::Cp932ToUtf8(fileName)), file))
      throw EVnMidi(VN_TEXT("MIDIの読み込みに失敗しました。\nファイル名：") + fileName);
    Clear();

    // The header length field is not looked at: the header is always 14 bytes.
    constexpr size_t kHeaderSize = 14;
    if (file.size() < kHeaderSize || std::memcmp(file.data(), "MThd", 4) != 0)
      throw EVnMidi(VN_TEXT("ファイルヘッダが不正です。\nファイル名：") + fileName);
    Format = Big16(&file[8]);
    const int tracks = Big16(&file[10]);
    Division = Big16(&file[12]);
    if (Format != 0 && Format != 1)
      throw EVnMidi(VN_TEXT("SMFFormat0またはSMFFormat1ではありません。\nファイル名：") + fileName);

    size_t position = kHeaderSize;
    for (int i = 0; i < tracks; ++i) {
      constexpr size_t kChunkHeaderSize = 8;
      if (file.size() - position < kChunkHeaderSize ||
          std::memcmp(&file[position], "MTrk", 4) != 0)
        throw EVnMidi(VN_TEXT("トラックヘッダが不正です。\nファイル名：") + fileName);
      const uint32_t length = Big32(&file[position + 4]);
      position += kChunkHeaderSize;
      // Checked against what the file holds before anything is read or allocated.
      if (length > file.size() - position) BadData(fileName);
      ReadTrack(file.data() + position, length, fileName);
      position += length;
    }
  });
}

void TVantorMidiData::ReadTrack(const uint8_t* data, uint32_t size, const AnsiString& fileName) {
  RunMethod("TVantorMidiData::ReadTrack", [&] {
    TTrackBytes track{data, size, 0, fileName};
    auto shortAt = ShortMessages.begin();
    auto longAt = LongMessages.begin();
    auto metaAt = MetaEvents.begin();
    uint32_t time = 0;
    uint8_t status = 0;  // no running status before the first status byte
    bool goOn = true;
    while (goOn && track.Position < track.Size) {
      time += ReadNumber(track);
      Require(track, 1);
      if (track.Data[track.Position] & 0x80)
        status = track.Data[track.Position++];
      else if (status == 0)
        BadData(fileName);
      if (status == 0xF0 || status == 0xF7)
        goOn = SystemExclusive(track, longAt, time, status);
      else if (status == 0xFF)
        goOn = MetaEvent(track, metaAt, time);
      else
        goOn = DefaultEvent(track, shortAt, time, status);
    }
    if (TotalTime < time) TotalTime = time;
  });
}

bool TVantorMidiData::DefaultEvent(TTrackBytes& track, TShortMessageList::iterator& insert,
                                   uint32_t time, uint8_t status) {
  return RunMethod("TVantorMidiData::DefaultEvent", [&] {
    const uint8_t kind = status & 0xF0;
    const bool oneDataByte = kind == 0xC0 || kind == 0xD0;
    TShortMessage message{time, status, ReadByte(track), 0};
    if (!oneDataByte) message.Data2 = ReadByte(track);
    Merge(ShortMessages, insert, message);
    return true;
  });
}

bool TVantorMidiData::SystemExclusive(TTrackBytes& track, TLongMessageList::iterator& insert,
                                      uint32_t time, uint8_t status) {
  return RunMethod("TVantorMidiData::SystemExclusive", [&] {
    const uint32_t count = ReadNumber(track);
    Require(track, count);
    std::vector<uint8_t> bytes;
    bytes.reserve(count + 1);
    bytes.push_back(status);
    bytes.insert(bytes.end(), track.Data + track.Position, track.Data + track.Position + count);
    Merge(LongMessages, insert, TLongMessage(time, bytes.data(), count + 1));
    track.Position += count;
    return true;
  });
}

bool TVantorMidiData::MetaEvent(TTrackBytes& track, TMetaEventList::iterator& insert,
                                uint32_t time) {
  return RunMethod("TVantorMidiData::MetaEvent", [&] {
    const uint8_t type = ReadByte(track);
    const uint32_t count = ReadNumber(track);
    Require(track, count);
    const uint8_t* payload = track.Data + track.Position;
    const char* chars = reinterpret_cast<const char*>(payload);
    const AnsiString text(chars, strnlen(chars, std::min(count, kMetaTextMax)));

    for (const TextList& entry : kTextLists)
      if (entry.type == type) (this->*entry.list).push_back(text);

    if (type == kTempo || type == kTimeSignature) {
      // Both are read as three bytes whatever their length says, but never
      // past the chunk.
      Require(track, 3);
      if (type == kTimeSignature) {
        BeatNumerator = payload[0];
        BeatDenominator = payload[1];
        BeatClocks = payload[2];
      }
    }
    for (uint8_t listed : kListedMetaTypes) {
      if (listed != type) continue;
      TMetaEvent event{static_cast<int32_t>(time), type, 0, {}};
      if (type == kTempo)
        event.Value = payload[0] << 16 | payload[1] << 8 | payload[2];
      else
        event.Text = text;
      Merge(MetaEvents, insert, std::move(event));
    }
    track.Position += count;
    return type != kEndOfTrack;
  });
}

}  // namespace VantorMidiSystem
