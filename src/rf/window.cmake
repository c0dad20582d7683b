# The window's side of this folder; every other file here belongs to the core.
set(window_files
    carriertest.cpp carriertest.h
    hftestpage.cpp hftestpage.h
    linkcontrol.cpp linkcontrol.h
    linkcontrolgroup.cpp linkcontrolgroup.h
    linkhistorywindow.cpp linkhistorywindow.h
    linkrecorder.cpp linkrecorder.h
    linkwizard.cpp linkwizard.h
    passworddlg.cpp passworddlg.h
    sensitivityoption.cpp sensitivityoption.h
    shapecircle.cpp shapecircle.h)
