# Bash completion for kvctl: its commands and each command's options, read from kvctl's own
# --help, so they never differ from what the installed kvctl takes. The package installs it as
# /usr/share/bash-completion/completions/kvctl; from a build tree, source it from ~/.bashrc.
_kvctl()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} command="" i help
    COMPREPLY=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --port | --settings) ((i++)) ;;
        -*) ;;
        *) command=${COMP_WORDS[i]}; break ;;
        esac
    done
    case $prev in
    --port) COMPREPLY=($(compgen -W "auto" -- "$cur") $(compgen -f -- "$cur")); return ;;
    --control) COMPREPLY=($(compgen -W "direct autonomous" -- "$cur")); return ;;
    esac
    if [ -z "$command" ]; then
        help=$("${COMP_WORDS[0]}" --help 2>/dev/null)
    else
        help=$("${COMP_WORDS[0]}" "$command" --help 2>/dev/null)
    fi
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(grep -o -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u)" -- "$cur"))
    elif [ -z "$command" ]; then
        # A command's line in the help in any language: two spaces, its name, the text.
        COMPREPLY=($(compgen -W "$(sed -n 's/^  \([a-z][a-z]*\)  .*/\1/p' <<<"$help")" -- "$cur"))
    elif [ "$command" = mode ]; then
        COMPREPLY=($(compgen -W "fire test" -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}
complete -o filenames -F _kvctl kvctl
