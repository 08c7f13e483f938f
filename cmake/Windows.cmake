# What a Windows program carries inside: the icon, the version shown in its properties, and the
# manifest (per-monitor DPI awareness, long paths, Windows 10 and 11, common controls 6, UTF-8 as the
# process's code page).
enable_language(RC)
set(LUMIVERT_ICON "${PROJECT_SOURCE_DIR}/resources/icons/lumivert.ico")
set(LUMIVERT_MANIFEST "${PROJECT_BINARY_DIR}/generated/lumivert.manifest")
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/lumivert.manifest ${LUMIVERT_MANIFEST} @ONLY)

function(lumivert_windows_resources target description)
  set(LUMIVERT_RC_NAME ${target})
  set(LUMIVERT_RC_FILE ${target}.exe)
  set(LUMIVERT_RC_DESCRIPTION "${description}")
  set(rc "${PROJECT_BINARY_DIR}/generated/${target}.rc")
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/lumivert.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${LUMIVERT_ICON};${LUMIVERT_MANIFEST}")
endfunction()

lumivert_windows_resources(lumivert "256色Lumivert: 画像を LCD 表示器用の 256 色 BIN ファイルに変換")
lumivert_windows_resources(lumivert-cli "256色Lumivert コマンドライン版")
