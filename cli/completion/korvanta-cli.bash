# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for korvanta-cli: its commands, each command's options, the
# options of the program, the ports (the devices found and the names of
# ports.conf, as `korvanta-cli ports` lists them, and COM1 to COM9) after
# --port, and files where a command or an option takes one.

_korvanta_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local commands="backup diff get history identify ports restore rollback set store"
    local options="--port --simulate --workfile --log --json --prefix-port --language --deadline-scale --help --version"
    COMPREPLY=()
    case $prev in
        --port)
            local ports
            ports=$("${COMP_WORDS[0]}" ports 2>/dev/null | cut -f1)
            mapfile -t COMPREPLY < <(compgen -W "$ports COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 COM9" -- "$cur")
            return ;;
        --workfile|--log)
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return ;;
        --language)
            mapfile -t COMPREPLY < <(compgen -W "ja en c" -- "$cur")
            return ;;
        --deadline-scale)
            return ;;
    esac
    # The command: the first word that is not an option or an option's value.
    local i command=
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --port|--workfile|--log|--language|--deadline-scale) ((i++)) ;;
            -*) ;;
            *) command=${COMP_WORDS[i]}; break ;;
        esac
    done
    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
        fi
        return
    fi
    local own=
    case $command in
        restore|rollback|set) own="--dry-run --no-store --no-backup" ;;&
        restore|diff) own="$own --merge" ;;
        history) own="--prune" ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$own $options" -- "$cur")
    elif [[ $command == @(backup|restore|diff) ]]; then
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}
complete -o filenames -F _korvanta_cli korvanta-cli
