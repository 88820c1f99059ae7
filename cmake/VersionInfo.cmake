# Stamps the project's one version into a program: a VERSIONINFO resource generated per target.
function(mrv_version_info target description filename)
    set(MRV_VI_DESCRIPTION "${description}")
    set(MRV_VI_FILENAME "${filename}")
    set(MRV_VI_INTERNAL "${target}")
    set(rc ${PROJECT_BINARY_DIR}/generated/version/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/common/win32/VersionInfo.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
