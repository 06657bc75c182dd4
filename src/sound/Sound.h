#pragma once

struct FSOUND_STREAM;

// One sound file opened as a stream, for music and effects alike. Destroying it closes the
// stream, so an owner that only needs it gone just deletes it. Playing, stopping and closing
// never report anything.
class CSound {
public:
    // Opens the whole file. If it cannot be opened (missing, not decodable), writes
    // "cant open soundfile <path>: <error text>" to standard output and ends the process with
    // exit code 1: there is no CSound without a stream.
    explicit CSound(const char* path);
    // For the rules run without sound (a recorded run checked without a window): between
    // SetNoSound(true) and the matching SetNoSound(false) (they nest), a new CSound opens no
    // file and holds no stream, and playing it does nothing.
    static void SetNoSound(bool value) { noSoundHolders += value ? 1 : -1; }
    ~CSound(); // closes the stream, which stops it
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    void Play();       // from the start on a free channel, with the loop count last set
    void PlayOnce();   // from the start, once; a play still sounding goes on beside it
    void PlayLooped(); // from the start, repeating until Stop or Close
    void Stop();       // silences every play of this stream
    void Close();      // stops and releases the stream; later calls do nothing
    // Its plays take the music's volume from now on, not the effects' (see SetSoundVolumes).
    void MarkAsMusic();

private:
    static inline int noSoundHolders = 0;
    FSOUND_STREAM* stream = nullptr;
};
