# The window's side of this folder: its pages and what reads or writes their controls. Every
# other file here belongs to the core, which links no widget library.
set(window_files
    configwriter.cpp configwriter.h
    konfigbpage.cpp konfigbpage.h
    konfigcpage.cpp konfigcpage.h
    modulecontext.cpp modulecontext.h
    moduledata.cpp moduledata.h
    modulehost.h
    modulinfopage.cpp modulinfopage.h
    readout.cpp readout.h
    savegroup.cpp savegroup.h
    widgets.cpp widgets.h)
