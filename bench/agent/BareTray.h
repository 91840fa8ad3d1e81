// Names shared by bare_tray.exe and send_ticks.exe.
#ifndef LARKSPIRE_BENCH_BARETRAY_H
#define LARKSPIRE_BENCH_BARETRAY_H

#define BARE_TRAY_CLASS "larkspire_BareTray"
#define IDI_BARE_TRAY 1

#endif
