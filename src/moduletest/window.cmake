# The window's side of this folder; every other file here belongs to the core.
set(window_files
    moduletestpage.cpp moduletestpage.h
    moduletests.cpp moduletests.h)
