#pragma once
// A song read from a Standard MIDI File: every track merged into three lists
// ordered by time (channel messages, system-exclusive messages, the meta
// events the sequencer acts on) plus the file's texts.
#include <cstdint>
#include <list>
#include <vector>

#include "vantor/system/text.h"

namespace VantorMidiSystem {

struct TShortMessage {
  // Ticks from the start of the song; in the user queue, milliseconds still to wait.
  uint32_t Time;
  uint8_t Status;
  uint8_t Data1;
  uint8_t Data2;
};

// A system-exclusive message: the status byte (F0 or F7) and the event's
// bytes as stored in the file.
struct TLongMessage {
  TLongMessage(uint32_t time, const uint8_t* bytes, uint32_t length)
      : Time(time), Data(bytes, bytes + length), Length(length) {}

  uint32_t Time;
  std::vector<uint8_t> Data;
  uint32_t Length;
};

struct TMetaEvent {
  int32_t Time;
  uint8_t Type;   // 0x05 lyric, 0x06 marker, 0x07 cue point, 0x51 tempo
  int32_t Value;  // the tempo in microseconds per quarter note, 0 otherwise
  AnsiString Text;
};

using TShortMessageList = std::list<TShortMessage>;
using TLongMessageList = std::list<TLongMessage>;
using TMetaEventList = std::list<TMetaEvent>;
using TStringList = std::vector<AnsiString>;

class TVantorMidiDataInfo {
 public:
  TVantorMidiDataInfo() = default;
  TVantorMidiDataInfo(const TVantorMidiDataInfo&) = delete;
  TVantorMidiDataInfo& operator=(const TVantorMidiDataInfo&) = delete;

  // Empties the lists; the numeric fields keep their values.
  void Clear();

  int Format = 0;
  int Division = 0;
  uint32_t TotalTime = 0;
  uint32_t BeatNumerator = 0;
  uint32_t BeatDenominator = 0;
  uint32_t BeatClocks = 0;
  TShortMessageList ShortMessages;
  TLongMessageList LongMessages;
  TMetaEventList MetaEvents;
  TStringList Texts;
  TStringList Notices;
  TStringList TrackNames;
};

// The bytes of one track chunk and the read position in them. Every read is
// checked against the chunk's end: an event that runs past it is bad data.
struct TTrackBytes {
  const uint8_t* Data;
  uint32_t Size;
  uint32_t Position;
  const AnsiString& FileName;
};

class TVantorMidiData : public TVantorMidiDataInfo {
 public:
  TVantorMidiData();
  ~TVantorMidiData();

  // Reads a format 0 or 1 file; raises EVnMidi with the reason otherwise.
  void LoadFile(const AnsiString& fileName);
  // Merges one track chunk's events into the lists. `fileName` names the
  // file in the failure message.
  void ReadTrack(const uint8_t* data, uint32_t size, const AnsiString& fileName);

  // Each reads one event at track.Position (which it advances), inserts it
  // in front of the track's insertion point (which only moves forward) and
  // returns whether the track goes on.
  bool DefaultEvent(TTrackBytes& track, TShortMessageList::iterator& insert, uint32_t time,
                    uint8_t status);
  bool SystemExclusive(TTrackBytes& track, TLongMessageList::iterator& insert, uint32_t time,
                       uint8_t status);
  bool MetaEvent(TTrackBytes& track, TMetaEventList::iterator& insert, uint32_t time);
};

}  // namespace VantorMidiSystem
