#pragma once

// The desktop's sound theme, reached through libcanberra: what MessageBeep
// plays on Linux. Playing is synchronous up to the sound system's answer
// (the sound itself goes on playing in the background), so MessageBeep calls
// it on a thread of its own.
//
// Without a sound card or sound server playing fails, and fails quietly:
// the sound library's own complaints never reach standard error.

struct ca_context;

class TSoundTheme {
public:
    TSoundTheme();
    ~TSoundTheme();
    TSoundTheme(const TSoundTheme &) = delete;
    TSoundTheme &operator=(const TSoundTheme &) = delete;

    // Starts the theme's sound of this name ("bell", "dialog-information");
    // false when the sound system could not play it.
    bool Play(const char *eventId);

private:
    ca_context *FContext = nullptr;
};
