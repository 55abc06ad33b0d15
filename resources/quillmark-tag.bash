# bash completion for quillmark-tag
_quillmark_tag()
{
  local cur prev words cword
  _init_completion || return

  local command="" i
  for ((i = 1; i < cword; i++)); do
    case "${words[i]}" in
      dump | show | set | detect) command="${words[i]}"; break ;;
    esac
  done

  case "$prev" in
    --layout)
      COMPREPLY=($(compgen -W "SideBySideRF SideBySideLF OverUnderRT OverUnderLT DualStream MultiStream Mono" -- "$cur"))
      return ;;
    --preview | --poster)
      _filedir '@(jpg|jpeg|JPG|JPEG)'
      return ;;
    --values)
      _filedir json
      return ;;
    --duration | --parallax | --source | --title | --author | --copyright | --description | \
      --disc-name | --title-name | --title-index)
      return ;;
  esac

  if [[ -z "$command" ]]; then
    COMPREPLY=($(compgen -W "dump show set detect --help --version" -- "$cur"))
    return
  fi
  if [[ "$cur" == -* ]]; then
    local options="--help --recursive -r"
    case "$command" in
      dump | show | detect) options="$options --json" ;;
      set)
        options="$options --stereo --no-stereo --layout --layout-from-name --detect-layout
          --half-width --no-half-width --half-height --no-half-height --duration --parallax
          --source --title --author --copyright --description --disc-name --title-name
          --title-index --preview --no-preview --poster --no-poster --preview-from-video
          --poster-from-video --values --dry-run" ;;
    esac
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi
  _filedir '@(wmv|wma|asf|WMV|WMA|ASF)'
} &&
  complete -F _quillmark_tag quillmark-tag
