#pragma once

// `ombo --notifier`, run at login: one desktop notification with today's and
// tomorrow's texts; its action "Ouvrir" starts `ombo --accueil`. Needs no
// window system, only the session bus.
int runNotifier(int argc, char **argv);

// The notification itself, once the application object exists. Returns the
// process's exit status.
int notifyToday();
