# TabControl: sources added to kelo_win (target_sources) and window tests.
target_sources(kelo_win PRIVATE app/CustomTabCtrl.cpp)
