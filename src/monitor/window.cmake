# The window's side of this folder; every other file here belongs to the core.
set(window_files
    dlg_frq.cpp dlg_frq.h
    monitorenvironment.h
    monitorhandlers.cpp monitorhandlers.h
    monitorpage.cpp monitorpage.h
    monitorplan.cpp monitorplan.h
    monitorsweep.cpp monitorsweep.h
    spectrumview.cpp spectrumview.h)
