# MainWindow: sources added to kelo_win (target_sources) and window tests.
