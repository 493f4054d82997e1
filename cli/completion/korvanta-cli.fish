# SPDX-License-Identifier: GPL-3.0-or-later
# fish completion for korvanta-cli: as its bash completion (korvanta-cli.bash).

function __korvanta_cli_ports
    korvanta-cli ports 2>/dev/null | cut -f1
    printf 'COM%s\n' 1 2 3 4 5 6 7 8 9
end

set -l commands backup diff get history identify ports restore rollback set store
complete -c korvanta-cli -f
complete -c korvanta-cli -n "not __fish_seen_subcommand_from $commands" -a "$commands"
complete -c korvanta-cli -l port -x -a '(__korvanta_cli_ports)' -d "the adapter's port"
complete -c korvanta-cli -l simulate -d 'attach the built-in simulated adapter'
complete -c korvanta-cli -l workfile -r -F -d 'the settings work file'
complete -c korvanta-cli -l log -r -F -d 'append the traffic to FILE'
complete -c korvanta-cli -l json -d 'print one JSON document'
complete -c korvanta-cli -l prefix-port -d 'begin each change line with the port'
complete -c korvanta-cli -l language -x -a 'ja en c' -d "the messages' language"
complete -c korvanta-cli -l deadline-scale -x -d 'every deadline times F'
complete -c korvanta-cli -s h -l help -d 'the help'
complete -c korvanta-cli -s v -l version -d 'the version'
complete -c korvanta-cli -n '__fish_seen_subcommand_from backup restore diff' -F
complete -c korvanta-cli -n '__fish_seen_subcommand_from restore rollback set' -l dry-run -d 'print only'
complete -c korvanta-cli -n '__fish_seen_subcommand_from restore rollback set' -l no-store -d 'leave the store to a later run'
complete -c korvanta-cli -n '__fish_seen_subcommand_from restore rollback set' -l no-backup -d 'no backup first'
complete -c korvanta-cli -n '__fish_seen_subcommand_from restore diff' -l merge -d 'FILE holds only some settings'
complete -c korvanta-cli -n '__fish_seen_subcommand_from history' -l prune -d 'remove what the retention does not keep'
